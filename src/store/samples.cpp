#include "store/samples.h"

namespace store {

namespace {

// The texts below are written with plain line feeds for readability; a stored
// snippet has CR LF line ends like every module file.
QString Crlf(const char* text) {
    QString s = QString::fromUtf8(text);
    if (s.startsWith(u'\n')) s.remove(0, 1);
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return s;
}

SampleSnippet Make(const char* category, const char* name, const char* description, const char* dateAdded,
                   const char* content) {
    SampleSnippet s;
    s.category = QString::fromLatin1(category);
    s.name = QString::fromUtf8(name);
    s.description = QString::fromUtf8(description);
    s.source = QStringLiteral("VBSnippary samples");
    s.content = Crlf(content);
    s.dateAdded = QString::fromLatin1(dateAdded);
    return s;
}

}  // namespace

QList<SampleSnippet> SampleSnippets() {
    QList<SampleSnippet> list;

    // ---- Modules -------------------------------------------------------------
    list << Make("Modules", "modStrings.bas", "String helpers module", "2001-03-14 09:12:40", R"vb(
Attribute VB_Name = "modStrings"
Option Explicit

' Small string helpers that the language does not have.

' True when Text begins with Prefix (case ignored).
Public Function StartsWith(ByVal Text As String, ByVal Prefix As String) As Boolean
    StartsWith = (StrComp(Left$(Text, Len(Prefix)), Prefix, vbTextCompare) = 0)
End Function

' True when Text ends with Suffix (case ignored).
Public Function EndsWith(ByVal Text As String, ByVal Suffix As String) As Boolean
    If Len(Suffix) > Len(Text) Then Exit Function
    EndsWith = (StrComp(Right$(Text, Len(Suffix)), Suffix, vbTextCompare) = 0)
End Function

' Pads Text on the left with Fill up to Width characters.
Public Function PadLeft(ByVal Text As String, ByVal Width As Long, _
                        Optional ByVal Fill As String = " ") As String
    If Len(Text) >= Width Then
        PadLeft = Text
    Else
        PadLeft = String$(Width - Len(Text), Fill) & Text
    End If
End Function

' Counts how often Find occurs in Text.
Public Function CountOf(ByVal Text As String, ByVal Find As String) As Long
    Dim lPos As Long
    If Len(Find) = 0 Then Exit Function
    lPos = InStr(1, Text, Find, vbBinaryCompare)
    Do While lPos > 0
        CountOf = CountOf + 1
        lPos = InStr(lPos + Len(Find), Text, Find, vbBinaryCompare)
    Loop
End Function
)vb");

    list << Make("Modules", "modTextFiles.bas", "Read and write text files", "2002-06-02 17:45:03", R"vb(
Attribute VB_Name = "modTextFiles"
Option Explicit

' Whole text files in one call each.

Public Function ReadTextFile(ByVal Path As String) As String
    Dim iFile As Integer
    iFile = FreeFile
    Open Path For Binary Access Read As #iFile
    ReadTextFile = Space$(LOF(iFile))
    Get #iFile, , ReadTextFile
    Close #iFile
End Function

Public Sub WriteTextFile(ByVal Path As String, ByVal Text As String)
    Dim iFile As Integer
    iFile = FreeFile
    Open Path For Output As #iFile
    Print #iFile, Text;
    Close #iFile
End Sub

Public Sub AppendLine(ByVal Path As String, ByVal Text As String)
    Dim iFile As Integer
    iFile = FreeFile
    Open Path For Append As #iFile
    Print #iFile, Text
    Close #iFile
End Sub
)vb");

    list << Make("Modules", "modStopwatch.bas", "Millisecond stopwatch", "2004-11-23 08:30:00", R"vb(
Attribute VB_Name = "modStopwatch"
Option Explicit

Private Declare Function GetTickCount Lib "kernel32" () As Long

Private m_lStart As Long

' Starts (or restarts) the stopwatch.
Public Sub StartWatch()
    m_lStart = GetTickCount()
End Sub

' Milliseconds since StartWatch; the tick count wraps after 49 days,
' so a negative difference is corrected.
Public Function ElapsedMs() As Double
    Dim dDiff As Double
    dDiff = CDbl(GetTickCount()) - CDbl(m_lStart)
    If dDiff < 0 Then dDiff = dDiff + 4294967296#
    ElapsedMs = dDiff
End Function
)vb");

    // ---- Classes -------------------------------------------------------------
    list << Make("Classes", "clsStack.cls", "Stack on a Collection", "2002-01-19 15:04:05", R"vb(
VERSION 1.0 CLASS
BEGIN
  MultiUse = -1  'True
  Persistable = 0  'NotPersistable
  DataBindingBehavior = 0  'vbNone
  DataSourceBehavior  = 0  'vbNone
  MTSTransactionMode  = 0  'NotAnMTSObject
END
Attribute VB_Name = "clsStack"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
Option Explicit

' A last-in, first-out stack of any values.
Private m_colItems As Collection

Private Sub Class_Initialize()
    Set m_colItems = New Collection
End Sub

Private Sub Class_Terminate()
    Set m_colItems = Nothing
End Sub

Public Sub Push(ByVal Value As Variant)
    m_colItems.Add Value
End Sub

' Raises error 5 when the stack is empty.
Public Function Pop() As Variant
    If m_colItems.Count = 0 Then Err.Raise 5, "clsStack", "The stack is empty."
    Pop = m_colItems(m_colItems.Count)
    m_colItems.Remove m_colItems.Count
End Function

Public Property Get Count() As Long
    Count = m_colItems.Count
End Property
)vb");

    list << Make("Classes", "clsLog.cls", "Append lines to a log file", "2005-05-09 11:20:31", R"vb(
VERSION 1.0 CLASS
BEGIN
  MultiUse = -1  'True
  Persistable = 0  'NotPersistable
  DataBindingBehavior = 0  'vbNone
  DataSourceBehavior  = 0  'vbNone
  MTSTransactionMode  = 0  'NotAnMTSObject
END
Attribute VB_Name = "clsLog"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
Option Explicit

' Writes time-stamped lines to a text file; the file is opened for each
' line, so nothing is lost if the program stops.
Private m_sPath As String

Public Property Let Path(ByVal Value As String)
    m_sPath = Value
End Property

Public Property Get Path() As String
    Path = m_sPath
End Property

Public Sub LogLine(ByVal Message As String)
    Dim iFile As Integer
    If Len(m_sPath) = 0 Then Exit Sub
    iFile = FreeFile
    Open m_sPath For Append As #iFile
    Print #iFile, Format$(Now, "yyyy-mm-dd hh:nn:ss") & "  " & Message
    Close #iFile
End Sub
)vb");

    // ---- API Declarations ----------------------------------------------------
    list << Make("API Declarations", "GetTickCount", "Milliseconds since start-up", "2000-08-21 10:00:00", R"vb(
' Milliseconds since Windows started (wraps after about 49.7 days).
Private Declare Function GetTickCount Lib "kernel32" () As Long
)vb");

    list << Make("API Declarations", "ShellExecute", "Open a file or web page", "2001-02-11 21:15:42", R"vb(
Private Declare Function ShellExecute Lib "shell32.dll" Alias "ShellExecuteA" _
    (ByVal hWnd As Long, ByVal lpOperation As String, ByVal lpFile As String, _
     ByVal lpParameters As String, ByVal lpDirectory As String, _
     ByVal nShowCmd As Long) As Long

Private Const SW_SHOWNORMAL As Long = 1

' Opens a document or address with the program the user chose for it.
' ShellExecute returns a value above 32 on success.
Public Function OpenDocument(ByVal hWnd As Long, ByVal Target As String) As Boolean
    OpenDocument = (ShellExecute(hWnd, "open", Target, vbNullString, vbNullString, _
                                 SW_SHOWNORMAL) > 32)
End Function
)vb");

    list << Make("API Declarations", "Sleep", "Pause without busy waiting", "2003-04-01 07:55:10", R"vb(
' Suspends the program for the given number of milliseconds.
' Note: the window does not repaint while it sleeps.
Private Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)
)vb");

    list << Make("API Declarations", "GetWindowsDirectory", "The Windows folder", "2003-09-17 14:02:26", R"vb(
Private Declare Function GetWindowsDirectory Lib "kernel32" Alias "GetWindowsDirectoryA" _
    (ByVal lpBuffer As String, ByVal nSize As Long) As Long

Private Const MAX_PATH As Long = 260

' The Windows folder, always with a trailing backslash.
Public Function WindowsFolder() As String
    Dim sBuf As String
    Dim lLen As Long
    sBuf = String$(MAX_PATH, vbNullChar)
    lLen = GetWindowsDirectory(sBuf, MAX_PATH)
    WindowsFolder = Left$(sBuf, lLen)
    If Right$(WindowsFolder, 1) <> "\" Then WindowsFolder = WindowsFolder & "\"
End Function
)vb");

    list << Make("API Declarations", "GetUserName", "Name of the logged-on user", "2006-02-28 16:40:12", R"vb(
Private Declare Function GetUserName Lib "advapi32.dll" Alias "GetUserNameA" _
    (ByVal lpBuffer As String, nSize As Long) As Long

' The user's logon name; empty when the call fails.
Public Function CurrentUser() As String
    Dim sBuf As String
    Dim lSize As Long
    lSize = 256
    sBuf = String$(lSize, vbNullChar)
    If GetUserName(sBuf, lSize) <> 0 Then CurrentUser = Left$(sBuf, lSize - 1)
End Function
)vb");

    // ---- Functions -----------------------------------------------------------
    list << Make("Functions", "FileExists", "Does a file exist?", "2000-10-05 12:00:00", R"vb(
' True when Path names an existing file (folders don't count).
Public Function FileExists(ByVal Path As String) As Boolean
    On Error Resume Next
    FileExists = ((GetAttr(Path) And vbDirectory) = 0)
    If Err.Number <> 0 Then FileExists = False
    On Error GoTo 0
End Function
)vb");

    list << Make("Functions", "QuickSort", "Sort a String array in place", "2001-07-30 19:25:48", R"vb(
' Sorts a String array in place, from index First to index Last.
' Call: QuickSort sNames, LBound(sNames), UBound(sNames)
Public Sub QuickSort(sItems() As String, ByVal First As Long, ByVal Last As Long)
    Dim lLow As Long, lHigh As Long
    Dim sPivot As String, sSwap As String
    lLow = First
    lHigh = Last
    sPivot = sItems((First + Last) \ 2)
    Do While lLow <= lHigh
        Do While StrComp(sItems(lLow), sPivot, vbTextCompare) < 0
            lLow = lLow + 1
        Loop
        Do While StrComp(sItems(lHigh), sPivot, vbTextCompare) > 0
            lHigh = lHigh - 1
        Loop
        If lLow <= lHigh Then
            sSwap = sItems(lLow)
            sItems(lLow) = sItems(lHigh)
            sItems(lHigh) = sSwap
            lLow = lLow + 1
            lHigh = lHigh - 1
        End If
    Loop
    If First < lHigh Then QuickSort sItems, First, lHigh
    If lLow < Last Then QuickSort sItems, lLow, Last
End Sub
)vb");

    list << Make("Functions", "NzValue", "Null or empty to a default", "2002-12-12 09:09:09", R"vb(
' Returns Default when Value is Null, Empty or an empty string;
' handy for recordset fields that may be Null.
Public Function NzValue(ByVal Value As Variant, Optional ByVal Default As Variant = "") As Variant
    If IsNull(Value) Or IsEmpty(Value) Then
        NzValue = Default
    ElseIf VarType(Value) = vbString And Len(Value) = 0 Then
        NzValue = Default
    Else
        NzValue = Value
    End If
End Function
)vb");

    list << Make("Functions", "QuoteSql", "Quote a text for SQL", "2004-03-03 13:31:13", R"vb(
' Doubles every apostrophe so that a text can stand inside '...' in SQL:
' QuoteSql("Bob's sort") gives 'Bob''s sort'.
Public Function QuoteSql(ByVal Text As String) As String
    QuoteSql = "'" & Replace(Text, "'", "''") & "'"
End Function
)vb");

    list << Make("Functions", "Date helpers", "Month start, end, leap years", "2007-01-31 18:00:00", R"vb(
' The first day of the month that D falls in.
Public Function FirstOfMonth(ByVal D As Date) As Date
    FirstOfMonth = DateSerial(Year(D), Month(D), 1)
End Function

' The last day of the month: day 0 of the next month is today's month's last.
Public Function LastOfMonth(ByVal D As Date) As Date
    LastOfMonth = DateSerial(Year(D), Month(D) + 1, 0)
End Function

Public Function IsLeapYear(ByVal Y As Integer) As Boolean
    IsLeapYear = (Day(DateSerial(Y, 3, 0)) = 29)
End Function

' Whole years between two dates, e.g. someone's age on a given day.
Public Function YearsBetween(ByVal FromDate As Date, ByVal ToDate As Date) As Long
    YearsBetween = Year(ToDate) - Year(FromDate)
    If DateSerial(Year(ToDate), Month(FromDate), Day(FromDate)) > ToDate Then
        YearsBetween = YearsBetween - 1
    End If
End Function
)vb");

    list << Make("Functions", "ProperCase", "Capitalise every word", "2008-08-08 08:08:08", R"vb(
' Capitalises the first letter after each blank and lowers the rest:
' ProperCase("o'neil's BAR") gives "O'neil's Bar".
Public Function ProperCase(ByVal Text As String) As String
    Dim i As Long
    Dim bStart As Boolean
    bStart = True
    For i = 1 To Len(Text)
        If Mid$(Text, i, 1) = " " Then
            bStart = True
        ElseIf bStart Then
            Mid$(Text, i, 1) = UCase$(Mid$(Text, i, 1))
            bStart = False
        Else
            Mid$(Text, i, 1) = LCase$(Mid$(Text, i, 1))
        End If
    Next i
    ProperCase = Text
End Function
)vb");

    // ---- Snippets ------------------------------------------------------------
    list << Make("Snippets", "Error handler", "Procedure with error handler", "2000-05-15 10:30:00", R"vb(
Private Sub DoWork()
    On Error GoTo ErrHandler

    ' ... the procedure's work ...

ExitHere:
    ' Tidy up here: close files, release objects.
    Exit Sub

ErrHandler:
    MsgBox "Error " & Err.Number & " in DoWork: " & Err.Description, _
           vbExclamation, App.Title
    Resume ExitHere
End Sub
)vb");

    list << Make("Snippets", "For Each control", "Clear every text box", "2001-11-11 11:11:11", R"vb(
' Empties every text box on the form.
Dim ctl As Control
For Each ctl In Me.Controls
    If TypeOf ctl Is TextBox Then
        ctl.Text = ""
    End If
Next ctl
)vb");

    list << Make("Snippets", "With block", "Set up a list view", "2003-06-21 20:05:55", R"vb(
' One With block sets up the list view's report columns.
With lvItems
    .View = lvwReport
    .FullRowSelect = True
    .ColumnHeaders.Clear
    .ColumnHeaders.Add , , "Name", 2000
    .ColumnHeaders.Add , , "Date added", 1600
    .ColumnHeaders.Add , , "Source", 2400
End With
)vb");

    list << Make("Snippets", "Select Case", "Branch on ranges and lists", "2006-10-02 09:45:20", R"vb(
' Select Case takes single values, lists and ranges.
Select Case KeyAscii
    Case vbKeyReturn
        cmdOk_Click
    Case vbKey0 To vbKey9, vbKeyBack
        ' digits and Backspace are let through
    Case Asc("-")
        If txtAmount.SelStart <> 0 Then KeyAscii = 0
    Case Else
        KeyAscii = 0    ' the box doesn't take anything else
End Select
)vb");

    return list;
}

}  // namespace store
