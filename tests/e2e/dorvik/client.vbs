' A VBScript client of DORVIK.DDEINTFC: every member in mixed case, both properties, the user
' name written back into a variable, and a non-DDE verb that starts the viewer.
' Arguments: expected user name, document with blanks, second document, the viewer's path.
Option Explicit
Dim failures : failures = 0
Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Dim expectedUser : expectedUser = WScript.Arguments(0)
Dim doc : doc = WScript.Arguments(1)
Dim doc2 : doc2 = WScript.Arguments(2)
Dim viewer : viewer = WScript.Arguments(3)

Dim o : Set o = CreateObject("DORVIK.DDEINTFC")
Check o.errorCode = 0, "fresh errorCode is 0"
Check TypeName(o.ERRORCODE) = "Integer", "errorCode is a 16-bit integer"
Check o.ErrorDesc = "", "fresh errorDesc is empty"

o.ERRORCODE = "17"
Check o.errorcode = 17, "errorCode written"
o.errorDESC = "set by the script"
Check o.ErrorDesc = "set by the script", "errorDesc written"

Dim user : user = "unchanged"
Dim result : result = o.GetUserName(user, "any text")
Check result = True And TypeName(result) = "Boolean", "getUserName answers True"
Check user = expectedUser, "getUserName wrote '" & user & "' into the variable"
Check o.errorCode = 0 And o.errorDesc = "", "success clears the earlier error"

Check o.SetOperationInfo(".dvkmissing", "open") = False, "a missing key fails"
Check o.errorCode = 201 And o.errorDesc = "Error: RegOpenKeyEx = 2", "missing key: " & o.errorCode & " " & o.errorDesc
Check o.DOOPERATION(".dvkview", "open", doc) = False And o.errorCode = 100, "doOperation before setOperationInfo: 100"
Check o.setoperationinfo(".dvkview", "Open") = True, "setOperationInfo .dvkview Open"
Check o.doOperation(".dvkview", "printto", doc) = False And o.errorCode = 202 And o.errorDesc = "Command Not Found", _
    "a verb the association lacks: 202"
Check o.DoOperation(".dvkview", "OPEN", doc) = True And o.errorCode = 0, "open starts the viewer"
Check o.SetOpInfo(".dvkview", "Show", "", "", True, "", "", """" & viewer & """ /show %1") = True, "setOpInfo adds a verb"
Check o.doOperation(".dvkview", "SHOW", doc2) = True, "the added verb starts the viewer"
Check o.SetOpInfo(".dvkview", "broken", "", "", False, "", "", "Z:\nowhere\missing.exe %1") = True, "setOpInfo adds another"
Check o.doOperation(".dvkview", "broken", doc2) = False And o.errorCode = 301 And _
    o.errorDesc = "Unable to Start Application - Not Supporting DDE", "a program that does not exist: 301"
Check o.doOperation(".dvkview", "print", doc2) = True, "print (switches, no quotes) starts the viewer"
o.UnInitialize
Check o.doOperation(".dvkview", "open", doc) = False And o.errorCode = 100, "after uninitialize: 100"
Set o = Nothing
WScript.Quit failures
