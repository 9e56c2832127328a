#include "win32/Windows.h"

#include "win32/Form1.h"
#include "win32/Form2.h"
#include "win32/frmAbout.h"

#include <memory>

namespace Windows {
namespace {

template <typename W> std::unique_ptr<W>& held() {
    static std::unique_ptr<W> instance;
    return instance;
}

template <typename W> W& slot() {
    if (!held<W>())
        held<W>() = std::make_unique<W>();
    return *held<W>();
}

template <typename W> void setOwner(HWND owner) {
    if (held<W>() && held<W>()->hwnd())
        SetWindowLongPtrW(held<W>()->hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

} // namespace

Form1& form1() {
    return slot<Form1>();
}

Form2& form2() {
    return slot<Form2>();
}

frmAbout& about() {
    return slot<frmAbout>();
}

HWND owner() {
    return held<Form1>() ? held<Form1>()->hwnd() : nullptr;
}

void adoptOwned() {
    setOwner<Form2>(owner());
    setOwner<frmAbout>(owner());
}

void releaseOwned() {
    setOwner<Form2>(nullptr);
    setOwner<frmAbout>(nullptr);
}

} // namespace Windows
