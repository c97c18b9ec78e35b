// Run-time error numbers and their Italian texts.
#include "runtimeerror.h"

namespace rt {

RuntimeError::RuntimeError(Number number)
    : m_number(number)
{
}

QString RuntimeError::description() const
{
    switch (m_number) {
    case Overflow:
        return QStringLiteral("Overflow");
    case TypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    }
    return {};
}

QString RuntimeError::reportText() const
{
    return QStringLiteral("Errore di run-time '%1':\n%2").arg(int(m_number)).arg(description());
}

void raiseOverflow()
{
    throw RuntimeError(RuntimeError::Overflow);
}

void raiseTypeMismatch()
{
    throw RuntimeError(RuntimeError::TypeMismatch);
}

} // namespace rt
