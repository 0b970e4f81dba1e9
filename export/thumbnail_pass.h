// A render of the current settings into a settings file's thumbnail, for
// the preset-folder conversion when no dialog preview is there to take it
// from.
#pragma once

struct GlobalsRecord;
struct SettingsThumbnail;

// Renders the current settings (the longer side 128 pixels) and puts the
// picture into the thumbnail. The run state and every setting are as they
// were afterwards. False when it could not be rendered.
bool RenderSettingsThumbnail(GlobalsRecord* globals, SettingsThumbnail* thumbnail);
