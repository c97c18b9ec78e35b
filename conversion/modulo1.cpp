// The three procedures behind "Converti". Each computes its whole result before it writes
// anything, so an error half-way leaves the boxes as they were.
#include "modulo1.h"

#include "arithmetic.h"
#include "form.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "wholenumbers.h"

namespace Modulo1 {
namespace {

void refuse(const QString &message)
{
    frmBinario().messageBoxes().showMessage(message);
    frmBinario().setText(Box::Text1, QString());
    frmBinario().setText(Box::Text2, QString());
}

} // namespace

QString negativeInputMessage()
{
    return QStringLiteral("Impossibile soddisfare la richiesta: il numero immesso è negativo");
}

QString notBinaryInputMessage()
{
    return QStringLiteral("Impossibile soddisfare la richiesta: il numero immesso non è binario");
}

void ConvertiInBase2()
{
    const double n = rt::textToNumber(frmBinario().text(Box::Text1));
    if (roundsToNegative(n)) {
        refuse(negativeInputMessage());
        return;
    }
    const QString digits = binaryDigits(rt::roundToWhole(n));
    frmBinario().setText(Box::Text2, digits);
}

bool VerificaCifre()
{
    if (isBinaryText(frmBinario().text(Box::Text1)))
        return true;
    refuse(notBinaryInputMessage());
    return false;
}

void ConvertiInBase10()
{
    const QString input = frmBinario().text(Box::Text1);
    if (!VerificaCifre())
        return;
    const QString value = rt::numberToText(binaryValue(input));
    frmBinario().setText(Box::Text2, value);
}

} // namespace Modulo1
