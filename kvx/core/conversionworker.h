// Converting listed sounds in the background: one thread of its own works through a queue of
// sources, so neither the window nor the change pass waits for a decoder.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>

class Conversionworker {
public:
    // Called on the worker's thread after each source it finished, converted or refused (not
    // after a cancelled one), with no lock held: it may queue or cancel, but not wait.
    using Finished = std::function<void(const std::wstring& source)>;
    // Called on the worker's thread between samples of a conversion, likewise without a lock.
    using Progress = std::function<void(const std::wstring& source, uint64_t donems, uint64_t wholems)>;
    explicit Conversionworker(Finished finished = {}, Progress progress = {});
    // Cancels the conversion under way (leaving no file), drops the queue and ends the thread.
    ~Conversionworker();
    Conversionworker(const Conversionworker&) = delete;
    Conversionworker& operator=(const Conversionworker&) = delete;

    // Queues source unless it is queued or being converted already. Never waits for a conversion.
    void Queueconversion(const std::wstring& source);
    // Drops the queue and stops the conversion under way, which leaves no file. Sources queued
    // afterwards are converted as usual.
    void Cancel();
    // Returns once the queue is empty and nothing is being converted.
    void Waitidle();

private:
    void Run();

    Finished finished_;
    Progress progress_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::wstring> queue_;
    std::unordered_set<std::wstring> queued_;  // what queue_ holds, found at once in a long queue
    std::wstring current_;  // the source being converted; empty when idle
    bool busy_ = false;
    bool ending_ = false;
    std::atomic<bool> cancel_{false};
    // Last: the thread starts once everything it uses is there.
    std::thread thread_;
};
