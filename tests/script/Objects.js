// The objects from JScript, which has Booleans and numbers of its own: an
// automation Boolean must arrive as true or false, a Long or a byte as a number.
var passed = 0, failed = 0;
function check(ok, what) {
    if (ok) { passed++; } else { failed++; WScript.Echo("FAILED: " + what); }
}

var f = new ActiveXObject("NimbraForm.xpForm");
check(f.Moveable === false, "a Boolean property is false");
f.Moveable = true;
check(f.Moveable === true, "and true once set");
f.ColorStyle = 2;
f.Transparency = 42;
check(f.ColorStyle === 2 && f.Transparency === 42, "enumerations and bytes are numbers");

var e = new ActiveXObject("NimbraForm.Error");
e.SilentError = true;
check(e.SilentError === true, "SilentError is a Boolean");
e.SilentError = false;
check(typeof new ActiveXObject("NimbraForm.SpEv").FileExists("C:\\windows") === "boolean",
    "FileExists gives a Boolean");

WScript.Echo("Objects.js: " + passed + " passed, " + failed + " failed");
WScript.Quit(failed);
