// The same objects from JScript: its own Boolean type, its own errors.
var passed = 0, failed = 0;
function check(ok, what) {
    if (ok) { passed++; } else { failed++; WScript.Echo("FAILED: " + what); }
}

var f = new ActiveXObject("NimbraForm.xpForm");
var booleans = ["CloseButtonVisible", "CloseButtonEnabled", "MaxButtonVisible", "MaxButtonEnabled",
    "MinButtonVisible", "MinButtonEnabled", "HelpButtonVisible", "HelpButtonEnabled", "TrayButtonVisible",
    "TrayButtonEnabled", "IconShow", "Moveable", "Resizeable", "ShowInTaskBar"];
for (var i = 0; i < booleans.length; i++) {
    var n = booleans[i];
    check(f[n] === false, n + " starts false");
    f[n] = true;
    check(f[n] === true, n + " round trip true");
    var others = 0;
    for (var j = 0; j < booleans.length; j++) if (f[booleans[j]]) others++;
    check(others === 1, n + " alone is set");
    f[n] = false;
    check(f[n] === false, n + " round trip false");
}
f.Moveable = true;
check(f.Moveable === true, "JScript sees an automation Boolean as true");
f.Moveable = false;
check(f.Moveable === false, "and false");
f.Transparency = 150;
check(f.Transparency === 99, "Transparency clamps to 99");
f.Caption = "Fenster \u00fcber \"alles\"";
check(f.Caption === "Fenster \u00fcber \"alles\"", "Caption round trip");
f.ColorStyle = 2;
check(f.ColorStyle === 2, "ColorStyle is a number");

var e = new ActiveXObject("NimbraForm.Error");
check(e.SilentError === false, "SilentError starts false");
e.SilentError = true;
check(new ActiveXObject("NimbraForm.Error").SilentError === true, "the switch is shared");
e.SilentError = false;

var s = new ActiveXObject("NimbraForm.SpEv");
check(typeof s.FileExists("C:\\windows") === "boolean", "FileExists gives a Boolean");

var threw = false;
try { new ActiveXObject("NimbraForm.clsFormSubclass"); } catch (x) { threw = true; }
check(threw, "clsFormSubclass cannot be created");

WScript.Echo("Objects.js: " + passed + " passed, " + failed + " failed");
WScript.Quit(failed);
