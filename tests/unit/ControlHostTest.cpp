// The control sited in our container, in process: what a form designer and a
// running host application see of its properties, persistence and events.
#include <gtest/gtest.h>

#include <olectl.h>

#include "../../src/com/LateBound.h"
#include "../../src/com/PropertyBag.h"
#include "../../src/control/xpForm.h"
#include "../../src/subclass/basForm.h"
#include "ControlSite.h"
#include "EventSink.h"
#include "FormBag.h"
#include "FormFile.h"
#include "HostForm.h"
#include "Hosted.h"
#include "TestSupport.h"

using namespace nimbra;
using namespace nimbra::host;

namespace {

using test::Hosted;

class ControlHost : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        SetSilentError(false);
    }
    test::RecordedReports reports_;
};

using Persistence = ControlHost;
using ControlLife = ControlHost;

TEST_F(Persistence, NewControlAtDesignTimeTakesTheDefaultsAndTheFormsCaption) {
    Hosted h("", true);
    ASSERT_TRUE(h.loaded) << std::string(h.error.begin(), h.error.end());
    const xpFormState& s = h.control->State();
    EXPECT_EQ(s.Caption, L"Hauptfenster");
    EXPECT_EQ(s.ColorStyle, cXPBlue);
    EXPECT_EQ(s.BorderStyle, cBorderSizeable);
    EXPECT_EQ(s.Transparency, 0);
    EXPECT_EQ(s.HelpButtonVisible, VARIANT_FALSE);
    EXPECT_EQ(s.TrayButtonVisible, VARIANT_FALSE);
    for (VARIANT_BOOL b : {s.CloseButtonVisible, s.CloseButtonEnabled, s.MaxButtonVisible, s.MaxButtonEnabled,
                           s.MinButtonVisible, s.MinButtonEnabled, s.HelpButtonEnabled, s.TrayButtonEnabled,
                           s.IconShow, s.Moveable, s.Resizeable})
        EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(s.ShowInTaskBar, VARIANT_FALSE);
    // Design time starts nothing.
    EXPECT_FALSE(s.Started);
    EXPECT_EQ(ControlFromhWnd(h.control->Window()), nullptr);
    EXPECT_FALSE(h.Form().modified);
    EXPECT_TRUE(reports_.Reports().empty());
}

TEST_F(Persistence, StoredValuesLoadAndSaveBackWithoutTheirDefaults) {
    Hosted h("      ColorStyle      =   2\r\n"
             "      CloseButtonEnabled=   0   'False\r\n"
             "      Caption         =   \"Eigener Titel\"\r\n"
             "      Unbekannt       =   42\r\n"
             "      HelpButtonVisible=   -1  'True\r\n"
             "      BorderStyle     =   4\r\n"
             "      Transparency    =   150\r\n"
             "      ShowInTaskBar   =   -1  'True\r\n",
             true);
    ASSERT_TRUE(h.loaded);
    const xpFormState& s = h.control->State();
    EXPECT_EQ(s.ColorStyle, cXPOlive);
    EXPECT_EQ(s.CloseButtonEnabled, VARIANT_FALSE);
    EXPECT_EQ(s.Caption, L"Eigener Titel");
    EXPECT_EQ(h.Form().Caption(), L"Eigener Titel");  // the form's own title follows the control
    EXPECT_EQ(s.HelpButtonVisible, VARIANT_TRUE);
    EXPECT_EQ(s.BorderStyle, cBorderFixedToolBox);
    EXPECT_EQ(s.Transparency, 99);
    EXPECT_EQ(s.ShowInTaskBar, VARIANT_FALSE);  // never stored, never read

    h.control->put_Moveable(VARIANT_FALSE);
    EXPECT_TRUE(h.Form().modified);
    std::vector<std::wstring> errors;
    ASSERT_EQ(h.Form().SaveTo(errors), S_OK);
    ASSERT_EQ(h.site->Save(), S_OK);  // sited by the test, so not among the form's own controls
    const Block& b = *h.File().Form().Children().at(0);
    auto number = [&](const char* key) {
        double d = -999;
        const Value* v = b.Find(key);
        return v && v->AsNumber(d) ? d : -999;
    };
    EXPECT_EQ(number("ColorStyle"), 2);
    EXPECT_EQ(number("CloseButtonEnabled"), 0);
    EXPECT_EQ(number("HelpButtonVisible"), -1);
    EXPECT_EQ(number("Moveable"), 0);
    EXPECT_EQ(number("BorderStyle"), 4);
    EXPECT_EQ(number("Transparency"), 99);
    EXPECT_EQ(number("Unbekannt"), 42);   // not ours: kept
    EXPECT_EQ(number("Left"), 120);       // the container's: kept
    EXPECT_EQ(b.Find("Caption"), nullptr);  // equal to the form's caption: left out
    for (const char* key : {"CloseButtonVisible", "MaxButtonVisible", "IconShow", "Resizeable"})
        EXPECT_EQ(b.Find(key), nullptr) << key;  // defaults are not written
    EXPECT_EQ(number("ShowInTaskBar"), -1);  // never read, so kept as the file had it
}

TEST_F(Persistence, FirstKeysAreGuardedIconAndCaptionIgnoredTheRestFailTheLoad) {
    {
        // A bad ColorStyle: reported, the rest of the reader skipped, the load itself succeeds.
        Hosted h("      ColorStyle      =   \"blau\"\r\n      MaxButtonVisible=   0\r\n", true);
        EXPECT_TRUE(h.loaded);
        EXPECT_EQ(h.control->State().MaxButtonVisible, VARIANT_FALSE);  // fresh: never assigned
        EXPECT_EQ(h.control->State().Caption, L"");
        const auto r = reports_.Reports();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0][5], L"UserControl_ReadProperties");
        EXPECT_EQ(r[0][7] + L" " + r[0][8], L"Benutzersteuerelement xpForm");
    }
    {
        // An Icon that is no picture: ignored without a report, Caption still read.
        Hosted h("      Icon            =   \"kein Bild\"\r\n      Caption         =   \"Titel\"\r\n", true);
        EXPECT_TRUE(h.loaded);
        EXPECT_EQ(h.control->State().Icon, nullptr);
        EXPECT_EQ(h.control->State().Caption, L"Titel");
        EXPECT_EQ(reports_.Reports().size(), 1u);  // only the one above
    }
    for (const char* bad : {"      Transparency    =   300\r\n", "      Moveable        =   \"vielleicht\"\r\n"}) {
        // From IconShow on nothing is trapped: the container's load fails and says so.
        Hosted h(bad, true);
        EXPECT_FALSE(h.loaded) << bad;
        EXPECT_NE(h.error.find(L"xpForm1"), std::wstring::npos);
    }
    EXPECT_EQ(reports_.Reports().size(), 1u);
    EXPECT_EQ(test::Boxes().count, 0);
}

TEST_F(Persistence, SilentSwitchSkipsOnlyTheFailingKey) {
    SetSilentError(true);
    Hosted h("      ColorStyle      =   \"blau\"\r\n      MaxButtonVisible=   0\r\n", true);
    SetSilentError(false);
    EXPECT_TRUE(h.loaded);
    EXPECT_EQ(h.control->State().ColorStyle, 0);
    EXPECT_EQ(h.control->State().MaxButtonVisible, VARIANT_FALSE);  // read after the skipped key
    EXPECT_EQ(h.control->State().MinButtonVisible, VARIANT_TRUE);
    EXPECT_TRUE(reports_.Reports().empty());
}

// Reading the host form's Icon or Caption is a statement of its own: a host
// that refuses it leaves the stored value to be read, and to be written back.
TEST_F(Persistence, IconAndCaptionSurviveAHostThatRefusesItsOwn) {
    Hosted h("", true);
    h.Form().Unload();  // a form that is gone refuses every call
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>();
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = picture.Get();
    bag->Write(L"Icon", &v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(L"Aus der Datei");
    bag->Write(L"Caption", &v);
    VariantClear(&v);

    ASSERT_EQ(h.control->UserControl_ReadProperties(bag.Get()), S_OK);
    EXPECT_EQ(h.control->State().Icon.Get(), picture.Get());
    EXPECT_EQ(h.control->State().Caption, L"Aus der Datei");

    ComPtr<MemoryPropertyBag> saved = Make<MemoryPropertyBag>();
    ASSERT_EQ(h.control->UserControl_WriteProperties(saved.Get()), S_OK);
    Variant icon, caption;
    EXPECT_EQ(saved->Read(L"Icon", &icon, nullptr), S_OK);
    EXPECT_EQ(icon.vt == VT_DISPATCH ? icon.pdispVal : nullptr, picture.Get());
    ASSERT_EQ(saved->Read(L"Caption", &caption, nullptr), S_OK);
    EXPECT_STREQ(caption.vt == VT_BSTR ? caption.bstrVal : L"", L"Aus der Datei");
    EXPECT_TRUE(reports_.Reports().empty());
}

TEST_F(Persistence, StreamCarriesEveryPropertyAndTheIcon) {
    // Without a form to take defaults from, Caption and Icon are written out.
    auto control = Make<nimbra::xpForm>();
    control->InitNew();
    BSTR caption = SysAllocString(L"Über");
    control->put_Caption(caption);
    SysFreeString(caption);
    control->put_ColorStyle(cXPSilver);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = CopyIcon(LoadIcon(nullptr, IDI_APPLICATION));
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.GetAddressOf())),
              S_OK);
    control->putref_Icon(picture.Get());
    control->put_Transparency(42);

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(control->Save(stream.Get(), TRUE), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto copy = Make<nimbra::xpForm>();
    ASSERT_EQ(copy->Load(stream.Get()), S_OK);
    EXPECT_EQ(copy->State().ColorStyle, cXPSilver);
    EXPECT_EQ(copy->State().Caption, L"Über");
    EXPECT_EQ(copy->State().Transparency, 42);
    ASSERT_NE(copy->State().Icon, nullptr);
    EXPECT_NE(copy->State().Icon.Get(), picture.Get());  // a picture of its own, read from the stream
}

// ---- the control's life -----------------------------------------------------

TEST_F(ControlLife, RunModeTagsTheControlWindowOnceAndTerminateRemovesIt) {
    Hosted h("", false);
    ASSERT_TRUE(h.loaded);
    const HWND window = h.control->State().ControlHWnd;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(h.control->State().Started);
    EXPECT_EQ(ControlFromhWnd(window), h.control->Identity());
    EXPECT_FALSE(IsWindowVisible(window));  // no icon while the application runs

    // Reading again changes values but starts nothing new.
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>();
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = 2;
    bag->Write(L"ColorStyle", &v);
    ASSERT_EQ(h.control->UserControl_ReadProperties(bag.Get()), S_OK);
    EXPECT_EQ(h.control->State().ColorStyle, cXPOlive);
    EXPECT_EQ(h.control->State().ControlHWnd, window);

    // Terminate unloads every form of the forms engine, which in this test
    // program is also the host's: keep the control's window out of it.
    SetParent(window, nullptr);
    h.control->UserControl_Terminate();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ControlFromhWnd(window), nullptr);
}

TEST_F(ControlLife, SettersMirrorCaptionAndIconToTheHostFormEvenWhenItRefuses) {
    Hosted h("", true);  // no skin: it would report on the host that goes away below
    BSTR title = SysAllocString(L"Neuer Titel");
    h.control->put_Caption(title);
    EXPECT_EQ(h.Form().Caption(), L"Neuer Titel");

    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = CopyIcon(LoadIcon(nullptr, IDI_APPLICATION));
    ComPtr<IPictureDisp> picture;
    OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.GetAddressOf()));
    h.control->putref_Icon(picture.Get());
    EXPECT_EQ(h.Form().icon.Get(), picture.Get());
    EXPECT_NE(SendMessageW(h.Form().hWnd(), WM_GETICON, ICON_BIG, 0), 0);

    // A form that is gone refuses every call: the control keeps its value, no report.
    h.Form().Unload();
    BSTR other = SysAllocString(L"Ohne Formular");
    h.control->put_Caption(other);
    BSTR back = nullptr;
    h.control->get_Caption(&back);
    EXPECT_STREQ(back, L"Ohne Formular");
    SysFreeString(title);
    SysFreeString(other);
    SysFreeString(back);
    EXPECT_TRUE(reports_.Reports().empty());
}

TEST_F(ControlLife, ResizingSnapsBackToTheIconSize) {
    Hosted h("", true);
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(h.control.As(&inPlace), S_OK);
    RECT big{10, 20, 210, 120};
    inPlace->SetObjectRects(&big, &big);
    RECT r;
    GetWindowRect(h.control->Window(), &r);
    EXPECT_EQ(r.right - r.left, 32);
    EXPECT_EQ(r.bottom - r.top, 32);
    // The container learnt the size through OnPosRectChange and keeps the place.
    SIZEL extent{};
    static_cast<IOleObject*>(h.control.Get())->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(extent.cx, MulDiv(32, 2540, 96));
    EXPECT_EQ(h.File().Form().Children().at(0)->Find("Left")->literal, "150");  // 10 px
}

TEST_F(ControlLife, RelaysReachTheHostsHandlerAndCancelComesBack) {
    const std::wstring path = test::ScratchFolder(L"events") + L"\\events.txt";
    {
        EventLog log(path, {L"CloseButtonClicked"});
        Hosted h("", false, &log);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        h.control->evCloseButtonClicked(cancel);
        EXPECT_EQ(cancel, VARIANT_TRUE);
        VARIANT_BOOL maxRestore = VARIANT_FALSE;
        h.control->evTitleDblClicked(maxRestore);
        EXPECT_EQ(maxRestore, VARIANT_FALSE);
        h.control->evResize();
        // Frozen events are dropped, as containers ask while they load.
        static_cast<IOleControl*>(h.control.Get())->FreezeEvents(TRUE);
        h.control->evTitleClicked();
        static_cast<IOleControl*>(h.control.Get())->FreezeEvents(FALSE);
        h.control->evDeactivate();
    }
    EXPECT_EQ(test::ReadUtf8(path),
              L"CloseButtonClicked Cancel=False -> True\r\n"
              L"TitleDblClicked CancelMaxRestore=False\r\n"
              L"Resize\r\n"
              L"Deactivate\r\n");
}

TEST_F(ControlLife, WithoutASiteNothingIsReported) {
    auto lone = Make<nimbra::xpForm>();
    EXPECT_TRUE(lone->InDesignMode());
    EXPECT_EQ(lone->GetParent(), nullptr);
    lone->UserControl_Terminate();  // never started: nothing to remove, nothing to unload
    EXPECT_TRUE(reports_.Reports().empty());
}

}  // namespace
