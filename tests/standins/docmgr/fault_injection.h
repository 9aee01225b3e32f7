#pragma once
// Refusals switched on for tests through the environment variable
// KESTRUM_DOCMGR_FAULT, a comma-separated list of these names:
//   classfactory  the class object refuses ISwDMClassFactory
//   license       GetApplication refuses the license key: CLASS_E_NOTLICENSED
//                 and no application object
//   application   GetApplication hands back no application object, and
//                 reports success
//   document      GetDocument hands back no document (open error "fail")
//   revision10    the document refuses ISwDMDocument10
//   save          Save writes nothing and reports "fail"
//   preview       GetPreviewBitmap and GetPreviewPNGBitmap fail and hand back
//                 no picture
//   notpicture    GetPreviewBitmap hands back an object that is no picture
//   add           AddCustomProperty adds nothing and reports false
//   emptypicture  GetPreviewBitmap hands back a picture of type none with a
//                 nonzero size
//   crash         GetPreviewBitmap writes through a null pointer: an access
//                 violation inside this library that nothing here handles
//   crash-overflow  GetPreviewBitmap recurses without end: a stack overflow
//   crash-thread  GetPreviewBitmap makes a thread of its own that writes
//                 through a null pointer, and waits for it
//   crash-filter  GetApplication puts in an unhandled-exception filter that
//                 ends the process silently (exit code 2), and
//                 GetPreviewBitmap writes through a null pointer
//   crash-filter-late  the same, with the filter put in by GetDocument
//   filter-calls  every entry into the library (the class object's
//                 CreateInstance, each interface method, each Release) puts
//                 in that filter
//   instance      the class object makes no instance: CreateInstance
//                 answers E_OUTOFMEMORY
//   crash-thread-nowait  GetPreviewBitmap makes a thread of its own that
//                 writes through a null pointer as the call returns; nobody
//                 waits for it, and CloseDoc takes 2 s
//   crash-loaderlock  GetPreviewBitmap makes a thread of its own that takes
//                 the loader lock and keeps it, then writes through a null
//                 pointer
//   crash-timerproc  GetPreviewBitmap arms a timer procedure on the caller's
//                 thread and posts messages to a hidden window of its own,
//                 whose procedure posts the next one; both log each run to the
//                 call record (KESTRUM_DOCMGR_CALLS, call_log.h) as "Timer 0
//                 TimerProc" and "Window 0 WindowProc", and the fault that
//                 follows as "Fault 0 Crash"; then it writes through a null
//                 pointer
//   crash-twice   GetPreviewBitmap makes a thread of its own that writes
//                 through a null pointer 3 s later, then writes through a
//                 null pointer itself
//   crash-sendhang  GetPreviewBitmap makes a hidden window of its own on the
//                 caller's thread and a thread of its own that, 1 s later,
//                 sends that window a message whose procedure never returns;
//                 then writes through a null pointer
//   crash-thread-during-save  Save, before it writes, makes a thread of its
//                 own that writes through a null pointer, and waits for it:
//                 for good, or for the seconds given after a colon
//                 ("crash-thread-during-save:3"), then writes as usual
//   png-straight  GetPreviewPNGBitmap hands out a PNG with transparency with
//                 its colour straight, not premultiplied by alpha
//   png-bottomup  GetPreviewPNGBitmap's DIB section holds its bottom row
//                 first in memory
//   png-selected  GetPreviewPNGBitmap's bitmap stays selected into a device
//                 context of the library's (for good: the picture cannot
//                 delete it)
// Calls that do not return, each for good, or for the seconds given after a
// colon ("hang-save:50"); the call then goes on as it would have:
//   hang-open     GetDocument
//   hang-preview  GetPreviewBitmap
//   hang-add      AddCustomProperty
//   hang-save     Save, before it writes
//   hang-close    CloseDoc
//   hang-release  the document's last Release
// The variable is read at every step, so a test may change it at any time.

enum class TFault { ClassFactory, License, Application, Document, Revision10, Save, Preview, NotPicture, Add,
                    EmptyPicture, Crash, CrashOverflow, CrashThread, CrashFilter, CrashFilterLate, FilterCalls,
                    Instance, CrashThreadNoWait, CrashLoaderLock, CrashTimerProc, CrashTwice, CrashSendHang,
                    CrashThreadDuringSave, HangOpen, HangPreview, HangAdd, HangSave, HangClose, HangRelease,
                    PngStraight, PngBottomUp, PngSelected };

// Whether the fault is asked for, with or without seconds.
bool FaultActive(TFault fault);

// For a fault asked for: its seconds in ms, INFINITE when none are given.
unsigned long FaultDuration(TFault fault);
