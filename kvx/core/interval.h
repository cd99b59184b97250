// Reading the change interval typed into the options dialog.
#pragma once

#include <cstdint>
#include <string>

enum class Intervalerror { none, notanumber, outofrange };

struct Intervalvalue {
    int16_t value = 0;
    Intervalerror error = Intervalerror::none;
};

// A decimal number (sign, digits, optional fraction; half-width or full-width digits) rounded to
// the nearest integer, halves to the even neighbour, accepted when it lies in -32768..32767.
Intervalvalue Convertinterval(const std::wstring& text);
