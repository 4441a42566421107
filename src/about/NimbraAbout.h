// The about window: the component's name and version, a credit line, a web and
// a mail link, and a help icon that starts the product family's help program.
// Borderless, exactly the size of its background picture, centred on the screen.
#pragma once
#include <string>

#include "../forms/Controls.h"
#include "../forms/Form.h"

namespace nimbra {

class NimbraAbout final : public forms::Form {
public:
    NimbraAbout() = default;

    // The controls, in pixels from the window's top-left corner. Public as a
    // classic form's controls are: the tests read and click them.
    forms::Label lblKomponente, lblAutor;
    forms::Label lblLink[2];  // 0 the web address, 1 the mail address; each Tag holds the URL it opens
    forms::Image imgHelp, imgText1, Image2, Image3;
    forms::Image imgBackground, imgHand;  // hidden: the background to measure, the links' cursor

    void imgHelp_Click();
    void imgText1_Click();
    void lblLink_Click(int Index);

protected:
    void Form_Load() override;
    void Form_Click() override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

private:
    std::wstring HelpPath();
    std::wstring ReadRegistryValue(const std::wstring& path);
};

// What the control's About does: creates the library's about window if there is
// none and shows it modally with no owner; returns once it is unloaded. False,
// with nothing shown, when the window is already being shown modally.
bool ShowNimbraAbout();

}  // namespace nimbra
