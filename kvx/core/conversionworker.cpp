#include "conversionworker.h"

#include "convertedcopies.h"

#include <algorithm>
#include <optional>

Conversionworker::Conversionworker(Finished finished, Progress progress)
    : finished_(std::move(finished)), progress_(std::move(progress)), thread_([this] { Run(); })
{
}

Conversionworker::~Conversionworker()
{
    {
        std::lock_guard hold(lock_);
        ending_ = true;
        queue_.clear();
        queued_.clear();
        cancel_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Conversionworker::Queueconversion(const std::wstring& source)
{
    {
        std::lock_guard hold(lock_);
        if ((busy_ && current_ == source) || !queued_.insert(source).second) return;
        queue_.push_back(source);
    }
    changed_.notify_all();
}

void Conversionworker::Cancel()
{
    std::lock_guard hold(lock_);
    queue_.clear();
    queued_.clear();
    // Cleared again when the next source is taken: only what runs now is stopped.
    if (busy_) cancel_ = true;
}

void Conversionworker::Waitidle()
{
    std::unique_lock hold(lock_);
    changed_.wait(hold, [this] { return queue_.empty() && !busy_; });
}

void Conversionworker::Run()
{
    // Media Foundation is set up once for the thread, not once for each source, and only when a
    // first source comes: lists of wave files alone never need it.
    std::optional<Mediascope> media;
    std::unique_lock hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return ending_ || !queue_.empty(); });
        if (ending_) return;
        current_ = std::move(queue_.front());
        queue_.pop_front();
        queued_.erase(current_);
        busy_ = true;
        cancel_ = false;
        hold.unlock();
        if (!media) media.emplace();
        Convertprogress progress;
        if (progress_) progress = [this](uint64_t donems, uint64_t wholems) { progress_(current_, donems, wholems); };
        Soundcopy copy = Convertsound(current_, cancel_, progress);
        if (copy.state != Copystate::cancelled && finished_) finished_(current_);
        hold.lock();
        busy_ = false;
        current_.clear();
        changed_.notify_all();
    }
}
