#pragma once
// Face of the channel list's texts (rows, headers, tooltips). The logical dialog face rather
// than an empty name: it maps to the locale's dialog font (宋体 on Chinese systems) and carries
// or links to Chinese glyphs elsewhere, whereas the empty name can give a face without them.
namespace UI {
inline constexpr wchar_t kListFontFace[] = L"MS Shell Dlg";
}
