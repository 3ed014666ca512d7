// A JScript client of DORVIK.DDEINTFC: JScript passes variables by value, so getUserName
// answers with its Boolean only. Arguments: document.
var failures = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}
var doc = WScript.Arguments(0);
var o = new ActiveXObject("DORVIK.DDEINTFC");
check(o.errorCode === 0, "fresh errorCode is 0");
check(o.ERRORDESC === "", "fresh errorDesc is empty");
o.ErrorCode = -5;
check(o.errorCode === -5, "errorCode written");
o.errordesc = 12.5;
check(o.errorDesc === "12.5", "errorDesc written from a number: " + o.errorDesc);
var name = "kept";
check(o.GETUSERNAME(name, "") === true, "getUserName answers true");
check(name === "kept", "a by-value argument is the script's own");
check(o.errorCode === 0 && o.errorDesc === "", "success clears the earlier error");
check(o.SetOperationInfo(".dvkview", "open") === true, "setOperationInfo");
check(o.SETOPERATIONINFO(".DVKVIEW", "open") === true, "the key in capitals loads as a key of its own");
check(o.doOperation(".dvkview", "Open", doc) === true, "open starts the viewer");
check(o.setOpInfo(".nothing", "x", "", "", true, "", "", "") === false && o.errorCode === 100, "setOpInfo for an unloaded key: 100");
o.uninitialize();
check(o.doOperation(".dvkview", "open", doc) === false && o.errorCode === 100, "after uninitialize: 100");
o = null;
CollectGarbage();
WScript.Quit(failures);
