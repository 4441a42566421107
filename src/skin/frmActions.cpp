// What the caption buttons do when clicked: each click is first offered to
// the host as a cancellable event of the control, then acted on.
#include "frm.h"

namespace nimbra {

bool frm::OfferClick(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*),
                     void (SkinOwner::*relay)(VARIANT_BOOL&)) {
    VARIANT_BOOL on = VARIANT_FALSE;
    Check((Owner().*enabled)(&on));
    if (!on) return false;
    Cancel = VARIANT_FALSE;
    (HeldOwner().Get()->*relay)(Cancel);
    return true;
}

bool frm::ClickTaken(Guard& g, HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*),
                     void (SkinOwner::*relay)(VARIANT_BOOL&)) {
    bool offered = false;
    return g.Run([&] { offered = OfferClick(enabled, relay); }) && offered && !Cancel;
}

void frm::bClose_Click() {
    BusyScope busy(*this);
    Guard g(InSkin(L"bClose_Click"));
    if (!ClickTaken(g, &SkinOwner::get_CloseButtonEnabled, &SkinOwner::evCloseButtonClicked)) return;
    g.Run(
        [&] {
            VARIANT_BOOL ignored;
            Check(oSubClass ? oSubClass->StopSubClass(&ignored) : E_POINTER);
        },
        [&] { Unloading = true; },
        [&] {
            // The host form is unloaded the way any container's form is asked
            // to close; its own QueryUnload still has the last word. Its end
            // ends the control, which unloads this skin as well.
            if (HostForm) SendMessageW(HostHwnd(), WM_CLOSE, 0, 0);
        },
        [&] { Unload(); });
}

void frm::bRestore_Click() {
    BusyScope busy(*this);
    Guard g(InSkin(L"bRestore_Click"));
    if (!ClickTaken(g, &SkinOwner::get_MaxButtonEnabled, &SkinOwner::evMaxButtonClicked)) return;
    // The handler maximises or restores; no message goes to a window.
    g.Run([&] { MessageToSelf(HostHwnd(), WM_SIZE, WindowState() == forms::vbNormal ? SIZE_MAXIMIZED : SIZE_RESTORED); },
          [&] { SetCornersTransparency(); }, [&] { LayoutButtons(); }, [&] { Form_Resize(); });
}

void frm::bMinimize_Click() {
    BusyScope busy(*this);
    Guard g(InSkin(L"bMinimize_Click"));
    if (!ClickTaken(g, &SkinOwner::get_MinButtonEnabled, &SkinOwner::evMinButtonClicked)) return;
    // Shown again by the host's restore and activation.
    g.Run([&] { SetHostLong(L"WindowState", forms::vbMinimized); }, [&] { SetVisible(false); });
}

// Help and tray have no action of their own: the event is all, whatever Cancel says.
void frm::bHelp_Click() {
    BusyScope busy(*this);
    Guard(InSkin(L"bHelp_Click")).Run([&] { OfferClick(&SkinOwner::get_HelpButtonEnabled, &SkinOwner::evHelpButtonClicked); });
}

void frm::bTray_Click() {
    BusyScope busy(*this);
    Guard(InSkin(L"bTray_Click")).Run([&] { OfferClick(&SkinOwner::get_TrayButtonEnabled, &SkinOwner::evTrayButtonClicked); });
}

void frm::Button_GotFocus(const wchar_t* procedure) {
    // The keyboard belongs to the host form; a button never keeps it.
    Guard(InSkin(procedure)).Run([&] { SetFormFocus(); });
}

}  // namespace nimbra
