' Opens documents through DORVIK.DDEINTFC the way a product script does.
' Usage: cscript //nologo open-documents.vbs KEY VERB DOCUMENT [DOCUMENT...]
Option Explicit
Dim args, dvk, i, user
Set args = WScript.Arguments
If args.Count < 3 Then
    WScript.Echo "usage: open-documents.vbs KEY VERB DOCUMENT [DOCUMENT...]"
    WScript.Quit 2
End If

Set dvk = CreateObject("DORVIK.DDEINTFC")

' Load the key's association once; it stays cached until uninitialize.
If Not dvk.setOperationInfo(args(0), args(1)) Then
    WScript.Echo "setOperationInfo failed: " & dvk.errorCode & " " & dvk.errorDesc
    WScript.Quit 1
End If

For i = 2 To args.Count - 1
    If dvk.doOperation(args(0), args(1), args(i)) Then
        WScript.Echo "opened " & args(i)
    Else
        WScript.Echo "doOperation failed for " & args(i) & ": " & dvk.errorCode & " " & dvk.errorDesc
        WScript.Quit 1
    End If
Next

' The name comes back through the first argument, which must be a variable.
user = ""
If dvk.getUserName(user, "") Then
    WScript.Echo "network user: " & user
Else
    WScript.Echo "getUserName failed: " & dvk.errorCode & " " & dvk.errorDesc
End If

dvk.uninitialize
Set dvk = Nothing
