#pragma once

namespace kestra::skin {

// Image roles by the resource numbers the pages configure their controls with.
inline constexpr int kButton = 165;
inline constexpr int kButtonLit = 166;
inline constexpr int kLowShelf = 167;
inline constexpr int kLowShelfLit = 168;
inline constexpr int kHighShelf = 213;
inline constexpr int kHighShelfLit = 214;
inline constexpr int kOnlineLit = 181;
inline constexpr int kOnline = 182;
inline constexpr int kBank = 183;
inline constexpr int kBankLit = 184;
inline constexpr int kNameButton = 193;
inline constexpr int kNameButtonLit = 194;
inline constexpr int kPadLit = 219;
inline constexpr int kPad = 220;
inline constexpr int kPageTab = 225;
inline constexpr int kPageTabLit = 226;
inline constexpr int kRouteOn = 229;
inline constexpr int kRouteOff = 230;
// The disabled face of the plain key; pages use it as a button's third image.
inline constexpr int kButtonDisabled = 1165;
// The lit face of MUTE, red where every other lit key is teal.
inline constexpr int kButtonMuteLit = 1166;

inline constexpr int kSelector = 176;
inline constexpr int kSelectorHover = 177;
inline constexpr int kStripSelector = 231;
inline constexpr int kStripSelectorHover = 232;

inline constexpr int kEditorTrackLit = 161;
inline constexpr int kEditorTrack = 162;
inline constexpr int kEditorThumb = 164;
inline constexpr int kTrimTrack = 185;
inline constexpr int kTrimTrackLit = 186;
inline constexpr int kTrimThumb = 187;
inline constexpr int kInputFaderTrack = 191;
inline constexpr int kInputFaderThumb = 192;
inline constexpr int kOutputFaderThumb = 207;
inline constexpr int kFaderThumbActive = 209;
inline constexpr int kOutputFaderTrack = 240;

inline constexpr int kPageBackground = 188;
inline constexpr int kInputStripBackground = 189;
inline constexpr int kOutputStripBackground = 190;

}  // namespace kestra::skin
