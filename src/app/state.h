#pragma once

#include "app/vbtypes.h"
#include "platform/tray.h"

#include <cstdint>

namespace vornap {

// The player's whole run-time state. Names are those the procedures use;
// everything starts at zero, False or the empty text.
struct Variables {
    // Play state: at most one of the three is True; all False is the Idle state.
    Boolean bPlaying = false;
    Boolean bPaused = false;
    Boolean bStopped = false;

    Boolean bLoadCD = false;    // the disc is to be (re)loaded by GetCDInfo
    Boolean bCDInDrive = false; // a disc in the drive in use has been taken in
    Boolean bAudioCD = false;   // the disc root lists at least one ".cda" entry

    Integer iCurrentTrack = 0;
    Integer iTotalTracks = 0;
    Integer iElapsedMin = 0;
    Integer iElapsedSec = 0;
    Integer iTrackLen = 0;
    Integer iTrackLenMin = 0;
    Integer iTrackLenSec = 0;

    Boolean bDeleteMenuItems = false;
    Boolean bLoadMenuItems = false;
    Boolean bRenameDrive = false;

    String sDiscId;
    Long lMatchCount = 0;
    Boolean bCDDBFound = false;

    String ErrorTag;

    FixedString<30> sMciAnswer;
    FixedString<30> sMciTracks;

    // Options, in the order of the options file.
    String sCDDrives;
    String sCDDrive;
    String sPlayOnStart;
    String sSkinDir;
    String sUseCDDB;
    String sCDDBOnStart;
    String sCDDBServer;
    String sCDDBEmail;
    String sTimerSetting;
    String sSysTrayOnly;
    String sIconNum;

    // The options file's comment fields, assigned by CheckOptions.
    String sHdrCDDrives;
    String sHdrCDDrive;
    String sHdrPlayOnStart;
    String sHdrSkinDir;
    String sHdrUseCDDB;
    String sHdrCDDBOnStart;
    String sHdrCDDBServer;
    String sHdrCDDBEmail;
    String sHdrTimerSetting;
    String sHdrSysTrayOnly;
    String sHdrIconNum;

    String sDummy; // receives every field a reader discards

    // Skin.
    String sSkinForm;
    String sSkinBackColor;
    String sSkinForeColor;

    // The tray icon record, passed to every tray call.
    platform::NotifyIconData nidTray;

    // High-resolution timer of the update check.
    std::int64_t curTimerFrequency = 0;
    std::int64_t curTimerStart = 0;
    std::int64_t curTimerEnd = 0;
    Integer iTimerSeconds = 0;
};

} // namespace vornap
