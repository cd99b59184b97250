#include "conversions.h"

#include "conversionworker.h"
#include "convertedcopies.h"
#include "listedsounds.h"

#include <memory>
#include <thread>

namespace {
struct Conversionstate {
    std::unique_ptr<Conversionworker> worker;
    // The first look over the lists, off the window's thread: it reads every listed file's head.
    std::thread survey;
};
Conversionstate conversions;
}

void Startconversions(HWND window, UINT message)
{
    Stopconversions();
    conversions.worker = std::make_unique<Conversionworker>([window, message](const std::wstring& source) {
        Soundcopy copy = Copyfor(source);
        bool notwritten = copy.state == Copystate::refused && copy.refused.why == Refusal::writefailed;
        PostMessageW(window, message, notwritten ? 1 : 0, 0);
    });
    Conversionworker* worker = conversions.worker.get();
    convertlater = [worker](const std::wstring& sound) { worker->Queueconversion(sound); };
    conversions.survey = std::thread([worker, listed = Listedsounds()] {
        Removeunusedcopies(listed);
        for (const std::wstring& sound : listed)
            if (Copyfor(sound).state == Copystate::pending) worker->Queueconversion(sound);
    });
}

void Stopconversions()
{
    convertlater = nullptr;
    if (conversions.survey.joinable()) conversions.survey.join();
    conversions.worker.reset();
}
