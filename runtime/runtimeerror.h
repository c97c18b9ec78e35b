// The one error type of the run-time layer: a run-time error number with its Italian description.
#pragma once

#include <QString>
#include <exception>

namespace rt {

// Users only ever see reportText(); what() stays std::exception's own.
class RuntimeError : public std::exception
{
public:
    enum Number { Overflow = 6, TypeMismatch = 13 };

    explicit RuntimeError(Number number);

    Number number() const noexcept { return m_number; }
    QString description() const;
    // The two-line text shown to the user: "Errore di run-time '13':" then the description.
    QString reportText() const;

private:
    Number m_number;
};

[[noreturn]] void raiseOverflow();
[[noreturn]] void raiseTypeMismatch();

} // namespace rt
