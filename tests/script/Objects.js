// The objects from JScript, which has Booleans of its own: an automation
// Boolean must arrive as true or false, not as the number -1.
var passed = 0, failed = 0;
function check(ok, what) {
    if (ok) { passed++; } else { failed++; WScript.Echo("FAILED: " + what); }
}

var f = new ActiveXObject("NimbraForm.xpForm");
f.Moveable = true;
check(f.Moveable === true, "a property of the control");
check(new ActiveXObject("NimbraForm.SpEv").FileExists("C:\\windows") === true, "FileExists");

WScript.Echo("Objects.js: " + passed + " passed, " + failed + " failed");
WScript.Quit(failed);
