#include "text.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

std::string Toansi(const std::wstring& text)
{
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Toutf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::optional<std::wstring> Fromutf8(const std::string& bytes)
{
    if (bytes.empty()) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring text(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), text.data(), size);
    return text;
}

bool Fitsansi(const std::wstring& text)
{
    return Fromansi(Toansi(text)) == text;
}

std::wstring Fromansi(const std::string& bytes)
{
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), out.data(), size);
    return out;
}

bool Sametext(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) == CSTR_EQUAL;
}

bool Endswithtext(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() && Sametext(text.substr(text.size() - suffix.size()), suffix);
}

std::wstring Foldcase(std::wstring text)
{
    CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

std::wstring Percentescape(const std::wstring& text, const std::function<bool(size_t, wchar_t)>& escape)
{
    static constexpr wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (size_t k = 0; k < text.size(); ++k) {
        wchar_t c = text[k];
        if (escape(k, c)) {
            out += L'%';
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::wstring> Percentunescape(const std::wstring& text)
{
    std::wstring out;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] != L'%') {
            out += text[k];
            continue;
        }
        if (k + 2 >= text.size() || !std::iswxdigit(text[k + 1]) || !std::iswxdigit(text[k + 2])) return std::nullopt;
        out += wchar_t(std::wcstoul(text.substr(k + 1, 2).c_str(), nullptr, 16));
        k += 2;
    }
    return out;
}
