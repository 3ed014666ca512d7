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
// A name outside the ANSI code page would reach the viewer with "?" in it: refused instead.
check(o.doOperation(".dvkview", "open", "C:\\docs\\r\u00e9sum\u00e9 \u5831\u544a.txt") === false && o.errorCode === 400 &&
      o.errorDesc === "Document Not Representable in the ANSI Code Page", "a document outside the code page: 400, " + o.errorDesc);
check(o.setOperationInfo(".dvkview", "\u6253\u5f00") === false && o.errorCode === 400 &&
      o.errorDesc === "Verb Not Representable in the ANSI Code Page", "a verb outside the code page: 400");
check(o.doOperation(".dvkview", "open", doc) === true && o.errorCode === 0, "the object works on afterwards");
check(o.setOpInfo(".nothing", "x", "", "", true, "", "", "") === false && o.errorCode === 100, "setOpInfo for an unloaded key: 100");
o.uninitialize();
check(o.doOperation(".dvkview", "open", doc) === false && o.errorCode === 100, "after uninitialize: 100");
o = null;
CollectGarbage();
WScript.Quit(failures);
