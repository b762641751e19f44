#pragma once

#include <QStringList>

namespace sw::test {

/// Every key of section "main", in the order the settings file holds them.
inline const QStringList kMainSettingKeys = {"Flashinterval",
                                             "LastLoadedTS-date",
                                             "LastLoadedTS-time",
                                             "LoadPath",
                                             "Root",
                                             "MP3TAGPOLICY",
                                             "MP3TAGREADPREFV1V2",
                                             "OGGTAG",
                                             "DBSIZE",
                                             "FADETIME",
                                             "SHOWALNUM",
                                             "SQUEEZERATING",
                                             "FILTERALBUMS",
                                             "PREVIEWSOUNDCARD",
                                             "DAYSRECENT",
                                             "READONLY",
                                             "PROMPTTOREMOVE",
                                             "FILTER",
                                             "FADEONPAUSE",
                                             "FADEONNEXT",
                                             "ConfirmDevicesAtStartup",
                                             "DoubleClickToEdit",
                                             "DesktopMediaControl",
                                             "UNICODETAGS",
                                             "FLACOPUS",
                                             "VOLUME",
                                             "MUTE",
                                             "LOUDNESS",
                                             "PREAMP",
                                             "CLIPGUARD"};

}  // namespace sw::test
