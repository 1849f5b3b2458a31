#pragma once

// The keys of the display texts a client's profile may hold ("5044=Schreiben %d%%" in its
// section). The program looks them up negated, as its string lookups do (LookupText(-5044)).

namespace vortan::resources {

// Message box captions and the group box of the overwrite question.
inline constexpr int kTextCaption = -5009;

// The file edit control and its dialogs.
inline constexpr int kTextFolderTitle = -5024;
inline constexpr int kTextFileDialogTitle = -5025;
inline constexpr int kTextFileFilter = -5026; // also the browse button's tooltip
inline constexpr int kTextNoFile = -5028;
inline constexpr int kTextPathMissing = -5029;
inline constexpr int kTextNotAFile = -5030;
inline constexpr int kTextNotAFolder = -5031;
inline constexpr int kTextDialogOk = -5032;
inline constexpr int kTextDialogCancel = -5033;
inline constexpr int kTextTooManyFiles = -5054; // the file dialog's buffer is too small

// The overwrite question.
inline constexpr int kTextFileLine = -5037;
inline constexpr int kTextDirectoryLine = -5038;
inline constexpr int kTextYes = -5039;
inline constexpr int kTextNo = -5040;
inline constexpr int kTextCancel = -5041;
inline constexpr int kTextOverwriteAll = -5042;
inline constexpr int kTextOverwriteCaption = -5043;

// The progress window: caption (with %d, the percentage) and status line (with %s, the
// file) of each phase.
inline constexpr int kTextFormatCaption = -5044;
inline constexpr int kTextWriteCaption = -5045;
inline constexpr int kTextReadCaption = -5046;
inline constexpr int kTextFormatStatus = -5047;
inline constexpr int kTextWriteStatus = -5048;
inline constexpr int kTextReadStatus = -5049;
inline constexpr int kTextRemoveStatus = -5069;
inline constexpr int kTextRemovedStatus = -5070;
inline constexpr int kTextRemoveCaption = -5071;
inline constexpr int kTextConnectCaption = -5077;
inline constexpr int kTextNotConnected = -5079;
inline constexpr int kTextConnectStatus = -5080;
inline constexpr int kTextConnected = -5081;

// A local file name that breaks the 8.3 rule (with %s, the name).
inline constexpr int kTextShortName = -5053;

} // namespace vortan::resources
