#include "app/mdlChat.h"

#include "app/frmChat.h"
#include "core/settings.h"
#include "win/registrysettings.h"
#include "win/window.h"

namespace mdlChat {

int Main(HINSTANCE instance) {
    vek::win::RegistrySettings store;
    if (!vek::PrepareSettings(store)) vek::win::ReportFailure(L"VekChat: the first run's settings could not be saved");
    frmChat form(vek::ReadSettings(store), store);
    if (!form.Create(instance)) return 1;
    return form.RunMessageLoop();
}

}  // namespace mdlChat
