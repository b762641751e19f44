#pragma once

namespace sw {

/// The caption of the "Tools" ▸ "Options" entry that switches the desktop media controls: its check
/// mark is `Settings::DesktopMediaControl` (MprisService::Enabled), and choosing it calls
/// MprisService::SetEnabled with the new mark.
inline constexpr char kMprisOptionCaption[] = "Desktop media controls ( MPRIS, media keys )";

}  // namespace sw
