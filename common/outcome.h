// What a command that may have nothing to do came to: the caller tells the user of a failure,
// and of nothing else.
#pragma once

enum class Outcome { nothing, done, failed };
