#include "conversions.h"

#include "conversionworker.h"
#include "convertedcopies.h"
#include "keylist.h"
#include "listedsounds.h"
#include "registry.h"
#include "text.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {
struct Conversionstate {
    std::unique_ptr<Conversionworker> worker;
    // The first look over the lists, off the window's thread: it reads every listed file's head.
    std::thread survey;
    std::atomic<bool> stopping{false};
};
Conversionstate conversions;

// The copies the events' .Current values name now: they stay, whatever the lists say, until a
// pass gives those events other sounds.
std::vector<std::wstring> Namedcopies()
{
    std::vector<std::wstring> named;
    Foreachevent([&named](int16_t app, int16_t event) {
        std::wstring current = Getregstr(HKEY_CURRENT_USER, Currentkey(app, event), L"");
        if (current.size() > convertedfolder.size() && Sametext(current.substr(0, convertedfolder.size()), convertedfolder))
            named.push_back(std::move(current));
    });
    return named;
}
}

void Startconversions(HWND window, UINT message)
{
    Stopconversions();
    conversions.stopping = false;
    conversions.worker = std::make_unique<Conversionworker>([window, message](const std::wstring& source) {
        Soundcopy copy = Copyfor(source);
        bool notwritten = copy.state == Copystate::refused && copy.refused.why == Refusal::writefailed;
        PostMessageW(window, message, notwritten ? 1 : 0, 0);
    });
    Conversionworker* worker = conversions.worker.get();
    convertlater = [worker](const std::wstring& sound) { worker->Queueconversion(sound); };
    conversions.survey = std::thread([worker, listed = Listedsounds()] {
        Removeunusedcopies(listed, Namedcopies());
        for (const std::wstring& sound : listed) {
            if (conversions.stopping) return;
            if (Copyfor(sound).state == Copystate::pending) worker->Queueconversion(sound);
        }
    });
}

void Stopconversions()
{
    convertlater = nullptr;
    conversions.stopping = true;
    if (conversions.survey.joinable()) conversions.survey.join();
    conversions.worker.reset();
}
