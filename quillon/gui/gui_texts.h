#pragma once
// Numbers of the catalogue's GUI texts that Quillon's forms show.

namespace quillon::gui {

inline constexpr int kExitCaption = 5;       // "E&xit"
inline constexpr int kOkCaption = 7;         // "&Ok"
inline constexpr int kResumeCaption = 8;     // "&Resume"
inline constexpr int kPercentCompleted = 38; // "% completed", after the progress figure
inline constexpr int kNotComplete = 52;      // the update is not complete
inline constexpr int kLaterRun = 53;         // it can be done later
inline constexpr int kResumeOrExit = 54;     // how to go on or quit
inline constexpr int kInquiryCaption = 55;   // "Inquiry"
inline constexpr int kInformationCaption = 57;
inline constexpr int kWarningCaption = 58;
inline constexpr int kErrorCaption = 59;
inline constexpr int kFatalCaption = 60;

}  // namespace quillon::gui
