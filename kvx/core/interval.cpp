#include "interval.h"

#include <cwctype>

namespace {
// Full-width digits come from a Japanese input method as often as plain ones.
int Digitvalue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'０' && c <= L'９') return c - L'０';
    return -1;
}

bool Issign(wchar_t c, wchar_t plain, wchar_t wide)
{
    return c == plain || c == wide;
}
}

Intervalvalue Convertinterval(const std::wstring& text)
{
    size_t at = 0;
    size_t end = text.size();
    while (at < end && (std::iswspace(text[at]) || text[at] == L'　')) ++at;
    while (end > at && (std::iswspace(text[end - 1]) || text[end - 1] == L'　')) --end;

    bool negative = false;
    if (at < end && (Issign(text[at], L'-', L'－') || Issign(text[at], L'+', L'＋')))
        negative = Issign(text[at++], L'-', L'－');

    // Whole part, kept exact: rounding works on the digits, not on a binary fraction.
    long whole = 0;
    bool toolarge = false;
    size_t digits = 0;
    for (; at < end && Digitvalue(text[at]) >= 0; ++at, ++digits) {
        whole = whole * 10 + Digitvalue(text[at]);
        if (whole > 100000) {
            toolarge = true;
            whole = 100000;
        }
    }
    // Fraction: only its first digit and whether anything non-zero follows matter.
    int first = 0;
    bool rest = false;
    size_t fractiondigits = 0;
    if (at < end && (text[at] == L'.' || text[at] == L'．')) {
        ++at;
        for (; at < end && Digitvalue(text[at]) >= 0; ++at, ++fractiondigits) {
            if (fractiondigits == 0)
                first = Digitvalue(text[at]);
            else if (Digitvalue(text[at]) != 0)
                rest = true;
        }
    }
    if (at != end || digits + fractiondigits == 0) return {0, Intervalerror::notanumber};
    if (toolarge) return {0, Intervalerror::outofrange};

    bool up = first > 5 || (first == 5 && (rest || whole % 2 == 1));
    long magnitude = whole + (up ? 1 : 0);
    long value = negative ? -magnitude : magnitude;
    if (value < INT16_MIN || value > INT16_MAX) return {0, Intervalerror::outofrange};
    return {int16_t(value), Intervalerror::none};
}
