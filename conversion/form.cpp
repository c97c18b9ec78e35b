// The slot that holds the program's single window.
#include "form.h"

#include <stdexcept>

namespace Modulo1 {
namespace {
Form *instance = nullptr;
}

Form &frmBinario()
{
    if (!instance)
        throw std::logic_error("frmBinario: no window registered");
    return *instance;
}

FormInstance::FormInstance(Form &form)
    : m_previous(instance)
{
    instance = &form;
}

FormInstance::~FormInstance()
{
    instance = m_previous;
}

} // namespace Modulo1
