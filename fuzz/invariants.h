// Checks inside the fuzz targets: a broken property stops the run like a crash, so libFuzzer
// keeps the input that broke it.
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void broken(const char *property, const QString &input)
{
    std::fprintf(stderr, "Broken: %s\nInput (%lld characters, first 200 shown): %s\n", property,
                 static_cast<long long>(input.size()), qPrintable(input.left(200)));
    std::abort();
}

inline void require(bool holds, const char *property, const QString &input)
{
    if (!holds)
        broken(property, input);
}

} // namespace fuzz
