// The control sited in our container: what a designer and a running host see of it.
#include <gtest/gtest.h>

#include "../../src/com/LateBound.h"
#include "../../src/com/PropertyBag.h"
#include "../../src/control/xpForm.h"
#include "../../src/errors/basError.h"
#include "../../src/subclass/basForm.h"
#include "EventSink.h"
#include "Hosted.h"
#include "TestSupport.h"

using namespace nimbra;
using namespace nimbra::host;

namespace {

using test::Hosted;

class Persistence : public ::testing::Test {
protected:
    void SetUp() override { test::ResetBoxes(); }
    test::RecordedReports reports_;
};
using ControlLife = Persistence;

// Every stored key at a value other than its default is read, late bound as a host reads
// it, and written back unchanged. (Icon: the test after next, and host.sh's round trip.)
TEST_F(Persistence, EveryStoredValueIsReadAndWrittenBackUnchanged) {
    const struct {
        const char* key;
        long value;
    } keys[] = {
        {"ColorStyle", 2},         {"CloseButtonVisible", 0}, {"CloseButtonEnabled", 0}, {"MaxButtonVisible", 0},
        {"MaxButtonEnabled", 0},   {"MinButtonVisible", 0},   {"MinButtonEnabled", 0},   {"IconShow", 0},
        {"HelpButtonEnabled", 0},  {"HelpButtonVisible", -1}, {"TrayButtonEnabled", 0},  {"TrayButtonVisible", -1},
        {"Moveable", 0},           {"Resizeable", 0},         {"BorderStyle", 4},        {"Transparency", 42},
    };
    // The file's text is code page 1252, quotes in it doubled.
    std::string lines = "      Caption         =   \"Sag \"\"Gr\xFC\xDF Gott\"\"\"\r\n"
                        "      Unbekannt       =   42\r\n"
                        "      ShowInTaskBar   =   -1  'True\r\n";
    for (const auto& k : keys) lines += test::Prop(k.key, k.value);
    Hosted h(lines, true);
    ASSERT_TRUE(h.loaded);
    ComPtr<IDispatch> control;
    ASSERT_EQ(h.control.As(&control), S_OK);
    for (const auto& k : keys) {
        Variant v, n;
        const std::wstring name(k.key, k.key + strlen(k.key));
        GetByName(control.Get(), name.c_str(), &v);
        ASSERT_EQ(VariantChangeType(&n, &v, 0, VT_I4), S_OK) << k.key;
        EXPECT_EQ(n.lVal, k.value) << k.key;
    }
    Variant caption;
    GetByName(control.Get(), L"Caption", &caption);
    EXPECT_STREQ(caption.bstrVal, L"Sag \"Grüß Gott\"");
    EXPECT_EQ(h.Form().Caption(), L"Sag \"Grüß Gott\"");          // the form's title follows
    EXPECT_EQ(h.control->State().ShowInTaskBar, VARIANT_FALSE);  // never stored, never read

    std::vector<std::wstring> errors;
    ASSERT_EQ(h.Form().SaveTo(errors), S_OK);
    ASSERT_EQ(h.site->Save(), S_OK);  // sited by the test, so not among the form's own controls
    const Block& b = *h.File().Form().Children().at(0);
    for (const auto& k : keys) EXPECT_EQ(b.NumberOr(k.key, -999), k.value) << k.key;
    EXPECT_EQ(b.Find("Caption"), nullptr);  // equal to the form's: a default, left out
    // The form's own line keeps the caption; keys not ours stay as the file had them.
    ASSERT_NE(h.File().Form().Find("Caption"), nullptr);
    EXPECT_EQ(h.File().Form().Find("Caption")->text, L"Sag \"Grüß Gott\"");
    for (auto [key, value] : {std::pair("Unbekannt", 42L), std::pair("Left", 120L), std::pair("ShowInTaskBar", -1L)})
        EXPECT_EQ(b.NumberOr(key, -999), value) << key;

    // Transparency beyond 99 is kept at 99 (the skin's alpha says so too); defaults are left out of the file.
    Hosted clamped(test::Prop("Transparency", 150), true);
    ASSERT_EQ(clamped.Form().SaveTo(errors), S_OK);
    ASSERT_EQ(clamped.site->Save(), S_OK);
    const Block& c = *clamped.File().Form().Children().at(0);
    EXPECT_EQ(c.NumberOr("Transparency", -999), 99);
    for (const char* key : {"Caption", "CloseButtonVisible", "MaxButtonVisible", "IconShow", "Resizeable"})
        EXPECT_EQ(c.Find(key), nullptr) << key;
}

TEST_F(Persistence, BadKeysAreSkippedWhenSilentReportedFirstAndFailTheLoadLater) {
    // With the silent switch on, only the failing key is skipped.
    const std::string badColour = "      ColorStyle      =   \"blau\"\r\n      MaxButtonVisible=   0\r\n";
    SetSilentError(true);
    Hosted silent(badColour, true);
    SetSilentError(false);
    EXPECT_EQ(silent.control->State().ColorStyle, 0);
    EXPECT_EQ(silent.control->State().MaxButtonVisible, VARIANT_FALSE);  // read after the skipped key
    EXPECT_EQ(silent.control->State().MinButtonVisible, VARIANT_TRUE);
    // An Icon that is no picture: ignored without a report, Caption still read.
    Hosted noPicture("      Icon            =   \"kein Bild\"\r\n      Caption         =   \"Titel\"\r\n", true);
    EXPECT_TRUE(noPicture.loaded);
    EXPECT_EQ(noPicture.control->State().Icon, nullptr);
    EXPECT_EQ(noPicture.control->State().Caption, L"Titel");
    EXPECT_TRUE(reports_.Reports().empty());

    // A bad ColorStyle: reported, the rest of the reader skipped, the load itself succeeds.
    Hosted reported(badColour, true);
    EXPECT_TRUE(reported.loaded);
    EXPECT_EQ(reported.control->State().MaxButtonVisible, VARIANT_FALSE);  // fresh: never assigned
    const auto r = reports_.Reports();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][5], L"UserControl_ReadProperties");
    EXPECT_EQ(r[0][7] + L" " + r[0][8], L"Benutzersteuerelement xpForm");
    // From IconShow on nothing is trapped: the container's load fails.
    Hosted failed("      Moveable        =   \"vielleicht\"\r\n", true);
    EXPECT_FALSE(failed.loaded);
    EXPECT_EQ(reports_.Reports().size(), 1u);
    EXPECT_EQ(test::Boxes().count, 0);
}

// A new control at design time takes the form's caption, starts nothing, keeps its size and
// mirrors its Icon to the form; with the form gone, stored values still round trip, unreported.
TEST_F(Persistence, ANewControlMirrorsItsIconAndStoredValuesSurviveAHostThatRefuses) {
    Hosted h("", true);  // no skin: it would report on the host that goes away below
    ASSERT_TRUE(h.loaded);
    EXPECT_EQ(h.control->State().Caption, L"Hauptfenster");
    EXPECT_FALSE(h.control->State().Started || h.Form().modified);
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(h.control.As(&inPlace), S_OK);
    RECT big{10, 20, 210, 120};
    inPlace->SetObjectRects(&big, &big);
    const RECT r = test::WindowRect(h.control->Window());
    EXPECT_EQ(std::pair(r.right - r.left, r.bottom - r.top), std::pair(32L, 32L));

    ComPtr<IPictureDisp> picture, stored;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    ASSERT_EQ(test::NewIconPicture(stored.GetAddressOf()), S_OK);
    h.control->putref_Icon(picture.Get());
    EXPECT_NE(SendMessageW(h.Form().hWnd(), WM_GETICON, ICON_BIG, 0), 0);

    h.Form().Unload();
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>(), saved = Make<MemoryPropertyBag>();
    Variant v;
    v.vt = VT_DISPATCH;
    v.pdispVal = stored.Get();
    bag->Write(L"Icon", &v);
    v.vt = VT_BSTR;  // the Variant now owns a string, not the borrowed picture
    v.bstrVal = SysAllocString(L"Aus der Datei");
    bag->Write(L"Caption", &v);
    ASSERT_EQ(h.control->UserControl_ReadProperties(bag.Get()), S_OK);
    EXPECT_EQ(h.control->State().Icon.Get(), stored.Get());
    ASSERT_EQ(h.control->UserControl_WriteProperties(saved.Get()), S_OK);
    Variant icon, caption;
    EXPECT_EQ(saved->Read(L"Icon", &icon, nullptr), S_OK);
    EXPECT_EQ(icon.vt == VT_DISPATCH ? icon.pdispVal : nullptr, stored.Get());
    ASSERT_EQ(saved->Read(L"Caption", &caption, nullptr), S_OK);
    EXPECT_STREQ(caption.vt == VT_BSTR ? caption.bstrVal : L"", L"Aus der Datei");
    EXPECT_TRUE(reports_.Reports().empty());
}

// Without a site there are no form defaults: Caption and Icon are written, nothing reported.
TEST_F(Persistence, WithoutASiteTheStreamCarriesEveryPropertyAndNothingIsReported) {
    auto control = Make<xpForm>();
    control->InitNew();
    BSTR caption = SysAllocString(L"Über");
    control->put_Caption(caption);
    SysFreeString(caption);
    control->put_ColorStyle(cXPSilver);
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    control->putref_Icon(picture.Get());

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(control->Save(stream.Get(), TRUE), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto copy = Make<xpForm>();
    ASSERT_EQ(copy->Load(stream.Get()), S_OK);
    EXPECT_EQ(copy->State().ColorStyle, cXPSilver);
    EXPECT_EQ(copy->State().Caption, L"Über");
    EXPECT_NE(copy->State().Icon, nullptr);
    control->UserControl_Terminate();  // never started: nothing to remove, nothing to unload
    EXPECT_TRUE(reports_.Reports().empty());
}

// Frozen events, as containers ask while they load, are dropped.
TEST_F(ControlLife, RunModeTagsTheControlWindowDropsFrozenEventsAndTerminateUntags) {
    const std::wstring path = test::ScratchFolder(L"events") + L"\\events.txt";
    EventLog log(path, {});
    Hosted h("", false, &log);
    ASSERT_TRUE(h.loaded);
    const HWND window = h.control->State().ControlHWnd;
    ASSERT_EQ(ControlFromhWnd(window), h.control->Identity());
    EXPECT_FALSE(IsWindowVisible(window));  // no icon while the application runs

    // Reading again changes values but starts nothing new.
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>();
    VARIANT v = Int32(2);
    bag->Write(L"ColorStyle", &v);
    ASSERT_EQ(h.control->UserControl_ReadProperties(bag.Get()), S_OK);
    EXPECT_EQ(h.control->State().ColorStyle, cXPOlive);
    EXPECT_EQ(h.control->State().ControlHWnd, window);

    auto* control = static_cast<IOleControl*>(h.control.Get());
    control->FreezeEvents(TRUE);
    h.control->evTitleClicked();
    control->FreezeEvents(FALSE);
    h.control->evResize();
    EXPECT_EQ(test::ReadUtf8(path), L"Resize\r\n");

    // Terminate unloads every form of the engine, here the host's too: keep this window out.
    SetParent(window, nullptr);
    h.control->UserControl_Terminate();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ControlFromhWnd(window), nullptr);
}

}  // namespace
