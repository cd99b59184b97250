#include "converter.h"

#include "folders.h"
#include "handles.h"
#include "systemlibrary.h"

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

// Media Foundation counts time in units of 100 ns.
constexpr uint64_t unitsperms = 10000;
// Decoders add a few frames of padding: a sound whose stated length fits is not refused for them.
constexpr uint64_t paddingms = 1000;
constexpr size_t flushbytes = 1 << 18;

// Media Foundation is loaded with the first conversion: lists of wave files alone never need it.
struct Mediafunctions {
    decltype(&MFStartup) startup = Systemfunction<decltype(&MFStartup)>(L"mfplat.dll", "MFStartup");
    decltype(&MFShutdown) shutdown = Systemfunction<decltype(&MFShutdown)>(L"mfplat.dll", "MFShutdown");
    decltype(&MFCreateMediaType) mediatype =
        Systemfunction<decltype(&MFCreateMediaType)>(L"mfplat.dll", "MFCreateMediaType");
    decltype(&MFCreateSourceReaderFromURL) sourcereader =
        Systemfunction<decltype(&MFCreateSourceReaderFromURL)>(L"mfreadwrite.dll", "MFCreateSourceReaderFromURL");
    decltype(&PropVariantClear) clearvalue =
        Systemfunction<decltype(&PropVariantClear)>(L"ole32.dll", "PropVariantClear");
    bool Complete() const { return startup && shutdown && mediatype && sourcereader && clearvalue; }
};
const Mediafunctions& Media()
{
    static const Mediafunctions functions;
    return functions;
}

Decoded Refuse(Refusal why, uint32_t error = 0) { return {Decodeend::refused, {why, error}}; }

struct Pcmformat {
    uint32_t rate = 0;
    uint32_t channels = 0;
};

// Asks the reader for 16-bit PCM of that rate and channel count (0: the decoder's choice).
bool Askpcm(IMFSourceReader* reader, uint32_t rate, uint32_t channels)
{
    Com<IMFMediaType> type;
    if (FAILED(Createmediatype(type.put()))) return false;
    IMFMediaType* asked = type.get();
    asked->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    asked->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    asked->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (rate) asked->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, rate);
    if (channels) asked->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
    if (rate && channels) {
        asked->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, channels * 2);
        asked->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, rate * channels * 2);
    }
    return SUCCEEDED(reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr, asked));
}

// What the reader delivers now, when it is 16-bit PCM.
std::optional<Pcmformat> Deliveredformat(IMFSourceReader* reader)
{
    Com<IMFMediaType> type;
    if (FAILED(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, type.put()))) return std::nullopt;
    GUID subtype{};
    Pcmformat format;
    UINT32 bits = 0;
    if (FAILED(type.get()->GetGUID(MF_MT_SUBTYPE, &subtype)) || subtype != MFAudioFormat_PCM ||
        FAILED(type.get()->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits)) || bits != 16 ||
        FAILED(type.get()->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &format.rate)) ||
        FAILED(type.get()->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &format.channels)) || !format.rate ||
        !format.channels)
        return std::nullopt;
    return format;
}

// Sets the reader to 16-bit PCM at the source's own rate, asking for two channels when it has
// more; a decoder that cannot mix down gives all of them, and they are mixed down here.
std::optional<Pcmformat> Choosepcm(IMFSourceReader* reader)
{
    Com<IMFMediaType> native;
    if (FAILED(reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, native.put()))) return std::nullopt;
    UINT32 rate = 0, channels = 0;
    native.get()->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    native.get()->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    bool asked = (channels > 2 && Askpcm(reader, rate, 2)) || Askpcm(reader, rate, channels) || Askpcm(reader, 0, 0);
    if (!asked) return std::nullopt;
    return Deliveredformat(reader);
}

// The stated length in 100-ns units; 0 when the source does not tell.
uint64_t Statedlength(IMFSourceReader* reader)
{
    struct Ownedvalue {
        PROPVARIANT value;
        Ownedvalue() { PropVariantInit(&value); }
        ~Ownedvalue() { Media().clearvalue(&value); }
    } owned;
    if (FAILED(reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, &owned.value)) ||
        owned.value.vt != VT_UI8)
        return 0;
    return owned.value.uhVal.QuadPart;
}

// Channel i of many goes left, right or to both sides (centre and low-frequency, in the usual
// order front left, front right, centre, LFE, then pairs).
enum class Side { left, right, both };
Side Sideof(uint32_t channel)
{
    if (channel == 2 || channel == 3) return Side::both;
    return channel % 2 == 0 ? Side::left : Side::right;
}

// Frames of many channels mixed down to two, each side the mean of its channels.
std::string Mixdown(std::string_view frames, uint32_t channels)
{
    size_t count = frames.size() / (2 * channels);
    std::string out(count * 4, '\0');
    int32_t leftcount = 0, rightcount = 0;
    for (uint32_t c = 0; c < channels; ++c) {
        leftcount += Sideof(c) != Side::right;
        rightcount += Sideof(c) != Side::left;
    }
    for (size_t f = 0; f < count; ++f) {
        int32_t left = 0, right = 0;
        for (uint32_t c = 0; c < channels; ++c) {
            int16_t sample;
            std::memcpy(&sample, frames.data() + (f * channels + c) * 2, 2);
            if (Sideof(c) != Side::right) left += sample;
            if (Sideof(c) != Side::left) right += sample;
        }
        int16_t mixed[2] = {int16_t(left / leftcount), int16_t(right / rightcount)};
        std::memcpy(out.data() + f * 4, mixed, 4);
    }
    return out;
}

// A sample's bytes, locked while this lives.
class Lockedbuffer {
public:
    explicit Lockedbuffer(IMFSample* sample)
    {
        if (SUCCEEDED(sample->ConvertToContiguousBuffer(buffer_.put())) &&
            SUCCEEDED(buffer_.get()->Lock(&data_, nullptr, &length_)))
            locked_ = true;
    }
    ~Lockedbuffer()
    {
        if (locked_) buffer_.get()->Unlock();
    }
    Lockedbuffer(const Lockedbuffer&) = delete;
    Lockedbuffer& operator=(const Lockedbuffer&) = delete;
    std::optional<std::string_view> bytes() const
    {
        if (!locked_) return std::nullopt;
        return std::string_view(reinterpret_cast<const char*>(data_), length_);
    }

private:
    Com<IMFMediaBuffer> buffer_;
    BYTE* data_ = nullptr;
    DWORD length_ = 0;
    bool locked_ = false;
};

std::string Le(uint32_t value, int bytes)
{
    std::string out;
    for (int k = 0; k < bytes; ++k) out += char((value >> (8 * k)) & 0xFF);
    return out;
}

// A file on disk that is removed again unless kept.
class Removedunlesskept {
public:
    explicit Removedunlesskept(std::wstring path) : path_(std::move(path)) {}
    ~Removedunlesskept()
    {
        if (!kept_) DeleteFileW(path_.c_str());
    }
    Removedunlesskept(const Removedunlesskept&) = delete;
    Removedunlesskept& operator=(const Removedunlesskept&) = delete;
    void Keep() { kept_ = true; }

private:
    std::wstring path_;
    bool kept_ = false;
};

// A 16-bit PCM wave file written under a temporary name and renamed into place by Finish.
class Wavewriter {
public:
    Wavewriter(const std::wstring& target, Pcmformat format) : target_(target), format_(format)
    {
        static std::atomic<uint32_t> serial{0};
        wchar_t unique[32];
        swprintf(unique, 32, L".%lx-%lx", static_cast<unsigned long>(GetCurrentProcessId()),
                 static_cast<unsigned long>(serial++));
        temp_ = target + unique + tempsuffix;
    }
    // Creates the file; false with error set when it cannot be.
    bool Open()
    {
        if (!Createfolders(Parentfolder(target_))) return Failed();
        // Not shared for deleting: a clean-up meanwhile cannot take it away.
        file_ = Ownfile(CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) return Failed();
        removed_.emplace(temp_);
        buffer_.assign(44, '\0');  // the header, written when the sizes are known
        return true;
    }
    bool Write(std::string_view frames)
    {
        buffer_.append(frames);
        databytes_ += frames.size();
        return buffer_.size() < flushbytes || Flush();
    }
    uint64_t frames() const { return databytes_ / (2 * format_.channels); }
    // A wave file's sizes are 32-bit: its samples fit in 4 GiB less its header.
    bool full() const { return databytes_ > 0xFFFFFFFFull - 36; }
    bool Finish()
    {
        if (!Flush()) return false;
        uint32_t align = format_.channels * 2;
        std::string header = "RIFF" + Le(uint32_t(36 + databytes_), 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) +
                             Le(format_.channels, 2) + Le(format_.rate, 4) + Le(format_.rate * align, 4) +
                             Le(align, 2) + Le(16, 2) + "data" + Le(uint32_t(databytes_), 4);
        LARGE_INTEGER start{};
        if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return Failed();
        buffer_ = header;
        if (!Flush()) return false;
        if (!FlushFileBuffers(file_.get())) return Failed();
        file_.reset();
        if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Failed();
        removed_->Keep();
        return true;
    }
    uint32_t error() const { return error_; }

private:
    bool Flush()
    {
        for (size_t done = 0; done < buffer_.size();) {
            DWORD wrote = 0;
            if (!WriteFile(file_.get(), buffer_.data() + done, DWORD(buffer_.size() - done), &wrote, nullptr))
                return Failed();
            done += wrote;
        }
        buffer_.clear();
        return true;
    }
    bool Failed()
    {
        error_ = GetLastError();
        return false;
    }

    std::wstring target_, temp_;
    Pcmformat format_;
    // Declared before the handle: the file is closed before it is removed.
    std::optional<Removedunlesskept> removed_;
    Kernelhandle file_;
    std::string buffer_;
    uint64_t databytes_ = 0;
    uint32_t error_ = 0;
};
}

Mediascope::Mediascope()
{
    Comjoin com = Joincom(COINIT_MULTITHREADED);
    com_ = com == Comjoin::joined;
    started_ = com != Comjoin::failed && Media().Complete() && SUCCEEDED(Media().startup(MF_VERSION, MFSTARTUP_LITE));
}

Mediascope::~Mediascope()
{
    if (started_) Media().shutdown();
    if (com_) Leavecom();
}

HRESULT Createsourcereader(const std::wstring& path, IMFSourceReader** reader)
{
    return Media().sourcereader ? Media().sourcereader(path.c_str(), nullptr, reader) : E_NOTIMPL;
}

HRESULT Createmediatype(IMFMediaType** type)
{
    return Media().mediatype ? Media().mediatype(type) : E_NOTIMPL;
}

std::wstring Refusaltext(const Refused& refused)
{
    switch (refused.why) {
    case Refusal::unsupported: return L"形式に対応していません";
    case Refusal::tooshort: return L"短すぎます";
    case Refusal::toolong: return L"長すぎます (10 分まで)";
    case Refusal::writefailed: return L"変換したサウンドを保存できません: " + Errortext(refused.error);
    }
    return {};
}

Decoded Decodetowave(const std::wstring& source, const std::wstring& target, const std::atomic<bool>& cancel,
                     const Convertprogress& progress)
{
    Mediascope media;
    if (!media.ready()) return Refuse(Refusal::unsupported);
    Com<IMFSourceReader> reader;
    if (FAILED(Createsourcereader(source, reader.put()))) return Refuse(Refusal::unsupported);
    reader.get()->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE);
    if (FAILED(reader.get()->SetStreamSelection(MF_SOURCE_READER_FIRST_AUDIO_STREAM, TRUE)))
        return Refuse(Refusal::unsupported);
    std::optional<Pcmformat> delivered = Choosepcm(reader.get());
    if (!delivered) return Refuse(Refusal::unsupported);
    uint64_t statedms = Statedlength(reader.get()) / unitsperms;
    if (statedms > maxsoundms) return Refuse(Refusal::toolong);
    Pcmformat written{delivered->rate, std::min<uint32_t>(delivered->channels, 2)};
    Wavewriter wave(target, written);
    if (!wave.Open()) return Refuse(Refusal::writefailed, wave.error());
    const uint64_t maxframes = (maxsoundms + paddingms) * written.rate / 1000;
    for (;;) {
        if (cancel) return {Decodeend::cancelled, {}};
        DWORD flags = 0;
        Com<IMFSample> sample;
        if (FAILED(reader.get()->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr, &flags, nullptr,
                                            sample.put())) ||
            (flags & MF_SOURCE_READERF_ERROR))
            return Refuse(Refusal::unsupported);
        // A wave file holds one format: a stream that changes its own is not taken.
        if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
            std::optional<Pcmformat> now = Deliveredformat(reader.get());
            if (!now || now->rate != delivered->rate || now->channels != delivered->channels)
                return Refuse(Refusal::unsupported);
        }
        if (sample) {
            Lockedbuffer locked(sample.get());
            std::optional<std::string_view> frames = locked.bytes();
            if (!frames) return Refuse(Refusal::unsupported);
            bool wrote = delivered->channels > 2 ? wave.Write(Mixdown(*frames, delivered->channels)) : wave.Write(*frames);
            if (!wrote) return Refuse(Refusal::writefailed, wave.error());
            if (wave.frames() > maxframes || wave.full()) return Refuse(Refusal::toolong);
            if (progress) progress(wave.frames() * 1000 / written.rate, statedms);
        }
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
    }
    if (wave.frames() == 0) return Refuse(Refusal::unsupported);
    if (wave.frames() * 1000 < minsoundms * written.rate) return Refuse(Refusal::tooshort);
    if (!wave.Finish()) return Refuse(Refusal::writefailed, wave.error());
    return {Decodeend::done, {}};
}
