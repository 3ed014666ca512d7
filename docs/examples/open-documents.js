// Opens documents through DORVIK.DDEINTFC from JScript.
// Usage: cscript //nologo open-documents.js KEY VERB DOCUMENT [DOCUMENT...]
var args = WScript.Arguments;
if (args.length < 3) {
    WScript.Echo("usage: open-documents.js KEY VERB DOCUMENT [DOCUMENT...]");
    WScript.Quit(2);
}
var dvk = new ActiveXObject("DORVIK.DDEINTFC");
if (!dvk.setOperationInfo(args(0), args(1))) {
    WScript.Echo("setOperationInfo failed: " + dvk.errorCode + " " + dvk.errorDesc);
    WScript.Quit(1);
}
for (var i = 2; i < args.length; i++) {
    if (!dvk.doOperation(args(0), args(1), args(i))) {
        WScript.Echo("doOperation failed for " + args(i) + ": " + dvk.errorCode + " " + dvk.errorDesc);
        WScript.Quit(1);
    }
    WScript.Echo("opened " + args(i));
}
// JScript passes arguments by value: getUserName can report success, but the name itself
// cannot come back to a JScript caller.
WScript.Echo("getUserName: " + dvk.getUserName("", "") + ", errorCode " + dvk.errorCode);
dvk.uninitialize();
