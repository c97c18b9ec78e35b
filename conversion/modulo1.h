// The conversion procedures. They take no arguments: they read Text1 and write Text2 of the
// global instance frmBinario themselves. A run-time error (rt::RuntimeError) leaves Text2 as it
// was; the window reports it.
#pragma once

#include <QString>

namespace Modulo1 {

QString negativeInputMessage();
QString notBinaryInputMessage();

// Decimal input in Text1 -> its binary digits in Text2. A number that rounds to a negative
// whole number is refused with a message, and both boxes are emptied.
void ConvertiInBase2();

// Checks that Text1 holds only "0" and "1". Otherwise shows the refusal once, empties both
// boxes and returns false.
bool VerificaCifre();

// Binary input in Text1 -> its decimal value in Text2, after VerificaCifre accepted it.
void ConvertiInBase10();

} // namespace Modulo1
