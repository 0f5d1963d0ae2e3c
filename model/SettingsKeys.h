#pragma once

#include <QLatin1String>

// Sections and keys of the two settings files, with the defaults that do not depend on other
// parts of the program. Section names are the object names of the windows and frames.
// Booleans are stored "1"/"0".
namespace settings_keys {

// MainSettings (control1.dat).
inline constexpr QLatin1String Main("Main");
inline constexpr QLatin1String StoreFileName("StoreFileName"); // default GetDataFileName()
inline constexpr QLatin1String HideTrayIcon("HideTrayIcon");   // default false
inline constexpr QLatin1String RunAtStartUp("RunAtStartUp");   // default: the autostart entry
inline constexpr QLatin1String NotStopped("NotStopped");       // default true

inline constexpr QLatin1String Config("Config");
inline constexpr QLatin1String Lng("Lng"); // default GetDefaultLanguageFileName()
inline constexpr QLatin1String Ver("Ver"); // GetVersionText(), written at every save; never read

inline constexpr QLatin1String Mail("Mail");
inline constexpr QLatin1String Host("Host");
inline constexpr QLatin1String Port("Port");
inline constexpr QLatin1String UserName("UserName");
inline constexpr QLatin1String Password("Password");       // see WriteMailPassword
inline constexpr QLatin1String PasswordHex("PasswordHex"); // see WriteMailPassword
inline constexpr QLatin1String DefaultFromAddress("DefaultFromAddress");
inline constexpr int DefaultMailPort = 25;

// Window bounds (Left and Top default to centred) and last-used folders. A folder defaults to the
// folder of GetDataFileName(), except the two noted, which default to the home folder.
inline constexpr QLatin1String Left("Left");
inline constexpr QLatin1String Top("Top");
inline constexpr QLatin1String Width("Width");
inline constexpr QLatin1String Height("Height");

inline constexpr QLatin1String FormMain("FormMain");
inline constexpr int FormMainDesignWidth = 592;
inline constexpr int FormMainDesignHeight = 395;
inline constexpr QLatin1String CurrentFileNameDir("CurrentFileNameDir");
inline constexpr QLatin1String CurrentSaveAsFileNameDir("CurrentSaveAsFileNameDir");
inline constexpr QLatin1String CurrentAddFileNameDir("CurrentAddFileNameDir");
inline constexpr QLatin1String CurrentSaveAllFileNameDir("CurrentSaveAllFileNameDir"); // home

inline constexpr QLatin1String FormEditReminder("FormEditReminder");
inline constexpr QLatin1String CurrentSoundDir("CurrentSoundDir");
inline constexpr QLatin1String CurrentIcoDir("CurrentIcoDir");

// The four RichEdit values are stored through EscapeLineBreaks; all default to "".
inline constexpr QLatin1String FormSendMail("FormSendMail");
inline constexpr QLatin1String RichEditTo("RichEditTo");
inline constexpr QLatin1String EditFrom("EditFrom");
inline constexpr QLatin1String RichEditCC("RichEditCC");
inline constexpr QLatin1String RichEditBCC("RichEditBCC");
inline constexpr QLatin1String EditSubject("EditSubject");
inline constexpr QLatin1String RichEditText("RichEditText");

inline constexpr QLatin1String FrameSticker("FrameSticker");
inline constexpr QLatin1String CurrentPictureDir("CurrentPictureDir");
inline constexpr QLatin1String CurrentMovingPictureDir("CurrentMovingPictureDir");

inline constexpr QLatin1String FrameShellExec("FrameShellExec");
inline constexpr QLatin1String CurrentDir("CurrentDir"); // home

// Column widths are "<list>.Column.<index>"; they default to the column's current width.
inline constexpr QLatin1String FrameMail("FrameMail");
inline constexpr QLatin1String ListViewFilesColumn("ListViewFiles.Column.");
inline constexpr QLatin1String FrameReminder("FrameReminder");
inline constexpr QLatin1String ListViewReminderColumn("ListViewReminder.Column.");
inline constexpr QLatin1String ReminderColumnSorting("ReminderColumnSorting"); // default 0

// LocalSettings (control2.dat).
inline constexpr QLatin1String UseLocalFolder("UseLocalFolder"); // in Main; default false
inline constexpr QLatin1String LogClearPeriod("LogClearPeriod"); // in Config; days as text
inline constexpr QLatin1String DefaultLogClearPeriod("30");
// In section FrameReminder, but in LocalSettings, unlike the rest of that section.
inline constexpr QLatin1String ListViewColor("ListViewColor");
inline constexpr QLatin1String DefaultListViewColor("clInfoBk");
inline constexpr QLatin1String FrameLog("FrameLog");
inline constexpr QLatin1String TreeViewWidth("TreeView.Width"); // default 150
// Log columns: 20 for columns 3 to 7, else 100.
inline constexpr QLatin1String ListViewLogColumn("ListViewLog.Column.");
inline constexpr QLatin1String ListViewLogSort("ListViewLog.Sort"); // default 0

} // namespace settings_keys
