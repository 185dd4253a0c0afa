// The environment library's binding: one instance of the binding engine
// (bindings/bindproto.h). The environment library gives a solver link the system around it:
// log and status output, the system's options, the list of solvers and the calling of
// another solver, termination handling, scratch-file names, and an older Jacobian interface
// (the "Legacy" entries). Its entries live in the combined model-object and environment
// library (libbrin64.so). Its object class is hvnmdodef::tzlmenvironment.
//
// Usage:
//   q5rt::sstr msg;
//   bindproto::handle h = nullptr;
//   if (!hvnmdcdef::hvncreate(h, msg)) report(msg);
//   hvnmdcdef::hvnsetintopt(h, hvnmdcdef::hvniterlim, 1000);
//   q5rt::sstr dir;
//   hvnmdcdef::hvngetstropt(dir, h, hvnmdcdef::hvnnamesysdir);   // string result first
//   bool capable = false;
//   (void)hvnmdcdef::hvncapabilitycheck(h, modeltype, solver, capable);
//   hvnmdcdef::hvnfree(h);
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace hvnmdcdef {

inline constexpr int apiversion = 8;
inline constexpr std::string_view basename = "brin";

// The environment library's entries in binding order:
// X(exported name, C++ name, object method, result code, parameter codes...).
// clang-format off
#define HVNMDCDEF_ENTRIES(X) \
  X(hvnRegisterWriteCallback, hvnregisterwritecallback, hvnregisterwritecallback, 0, 59, 15, 1)        \
  X(hvnCompleteEnvironment, hvncompleteenvironment, hvncompleteenvironment, 0, 1, 1, 1, 1)             \
  X(hvnInitEnvironmentLegacy, hvninitenvironmentlegacy, hvninitenvironmentlegacy, 3, 11)               \
  X(hvnSwitchLogStat, hvnswitchlogstat, hvnswitchlogstat, 15, 3, 11, 15, 11, 15, 59, 1, 2)             \
  X(hvnSwitchLogStatEx, hvnswitchlogstatex, hvnswitchlogstatex, 15, 3, 11, 15, 11, 15, 59, 1, 2, 15)   \
  X(hvnGetLShandle, hvngetlshandle, hvngetlshandle, 1)                                                 \
  X(hvnRestoreLogStat, hvnrestorelogstat, hvnrestorelogstat, 15, 2)                                    \
  X(hvnRestoreLogStatRewrite, hvnrestorelogstatrewrite, hvnrestorelogstatrewrite, 15, 2)               \
  X(hvnLog, hvnlog, hvnlog, 0, 11)                                                                     \
  X(hvnLogPChar, hvnlogpchar, hvnlogpchar, 0, 9)                                                       \
  X(hvnStat, hvnstat, hvnstat, 0, 11)                                                                  \
  X(hvnStatC, hvnstatc, hvnstatc, 0, 11)                                                               \
  X(hvnStatPChar, hvnstatpchar, hvnstatpchar, 0, 9)                                                    \
  X(hvnStatAudit, hvnstataudit, hvnstataudit, 0, 11)                                                   \
  X(hvnStatCon, hvnstatcon, hvnstatcon, 0)                                                             \
  X(hvnStatCoff, hvnstatcoff, hvnstatcoff, 0)                                                          \
  X(hvnStatEOF, hvnstateof, hvnstateof, 0)                                                             \
  X(hvnStatSysout, hvnstatsysout, hvnstatsysout, 0)                                                    \
  X(hvnStatAddE, hvnstatadde, hvnstatadde, 0, 3, 11)                                                   \
  X(hvnStatAddV, hvnstataddv, hvnstataddv, 0, 3, 11)                                                   \
  X(hvnStatAddJ, hvnstataddj, hvnstataddj, 0, 3, 3, 11)                                                \
  X(hvnStatEject, hvnstateject, hvnstateject, 0)                                                       \
  X(hvnStatEdit, hvnstatedit, hvnstatedit, 0, 18)                                                      \
  X(hvnStatE, hvnstate, hvnstate, 0, 11, 3, 11)                                                        \
  X(hvnStatV, hvnstatv, hvnstatv, 0, 11, 3, 11)                                                        \
  X(hvnStatT, hvnstatt, hvnstatt, 0)                                                                   \
  X(hvnStatA, hvnstata, hvnstata, 0, 11)                                                               \
  X(hvnStatB, hvnstatb, hvnstatb, 0, 11)                                                               \
  X(hvnLogStat, hvnlogstat, hvnlogstat, 0, 11)                                                         \
  X(hvnLogStatNoC, hvnlogstatnoc, hvnlogstatnoc, 0, 11)                                                \
  X(hvnLogStatPChar, hvnlogstatpchar, hvnlogstatpchar, 0, 9)                                           \
  X(hvnLogStatFlush, hvnlogstatflush, hvnlogstatflush, 0)                                              \
  X(hvnGetAnchor, hvngetanchor, hvngetanchor, 12, 11)                                                  \
  X(hvnLSTAnchor, hvnlstanchor, hvnlstanchor, 0, 11)                                                   \
  X(hvnStatAppend, hvnstatappend, hvnstatappend, 3, 11, 12)                                            \
  X(hvnMIPReport, hvnmipreport, hvnmipreport, 0, 1, 13, 3, 13, 13)                                     \
  X(hvnGetSlvExeInfo, hvngetslvexeinfo, hvngetslvexeinfo, 3, 11, 12)                                   \
  X(hvnGetSlvLibInfo, hvngetslvlibinfo, hvngetslvlibinfo, 3, 11, 12, 12, 4)                            \
  X(hvnCapabilityCheck, hvncapabilitycheck, hvncapabilitycheck, 3, 3, 11, 20)                          \
  X(hvnSolverVisibility, hvnsolvervisibility, hvnsolvervisibility, 3, 11, 20, 20)                      \
  X(hvnNumSolvers, hvnnumsolvers, hvnnumsolvers, 3)                                                    \
  X(hvnGetSolver, hvngetsolver, hvngetsolver, 12, 3)                                                   \
  X(hvnGetCurrentSolver, hvngetcurrentsolver, hvngetcurrentsolver, 12, 1)                              \
  X(hvnGetSolverDefault, hvngetsolverdefault, hvngetsolverdefault, 12, 3)                              \
  X(hvnSolver2Id, hvnsolver2id, hvnsolver2id, 3, 11)                                                   \
  X(hvnId2Solver, hvnid2solver, hvnid2solver, 12, 3)                                                   \
  X(hvnCallSolverNextGridDir, hvncallsolvernextgriddir, hvncallsolvernextgriddir, 12)                  \
  X(hvnCallSolver, hvncallsolver, hvncallsolver, 3, 1, 11, 11, 3, 3, 11, 11, 13, 3, 3, 13, 13, 2, 12)  \
  X(hvnCallSolverHandleStatus, hvncallsolverhandlestatus, hvncallsolverhandlestatus, 3, 1)             \
  X(hvnCallSolverHandleDelete, hvncallsolverhandledelete, hvncallsolverhandledelete, 3, 2)             \
  X(hvnCallSolverHandleCollect, hvncallsolverhandlecollect, hvncallsolverhandlecollect, 3, 2, 1)       \
  X(hvnGetIntOpt, hvngetintopt, hvngetintopt, 3, 11)                                                   \
  X(hvnGetDblOpt, hvngetdblopt, hvngetdblopt, 13, 11)                                                  \
  X(hvnGetStrOpt, hvngetstropt, hvngetstropt, 12, 11)                                                  \
  X(hvnSetIntOpt, hvnsetintopt, hvnsetintopt, 0, 11, 3)                                                \
  X(hvnSetDblOpt, hvnsetdblopt, hvnsetdblopt, 0, 11, 13)                                               \
  X(hvnSetStrOpt, hvnsetstropt, hvnsetstropt, 0, 11, 11)                                               \
  X(hvnSynchronizeOpt, hvnsynchronizeopt, hvnsynchronizeopt, 0, 1)                                     \
  X(hvnTimeJNow, hvntimejnow, hvntimejnow, 13)                                                         \
  X(hvnTimeDiff, hvntimediff, hvntimediff, 13)                                                         \
  X(hvnTimeDiffStart, hvntimediffstart, hvntimediffstart, 13)                                          \
  X(hvnTimeSetStart, hvntimesetstart, hvntimesetstart, 0)                                              \
  X(hvnTerminateUninstall, hvnterminateuninstall, hvnterminateuninstall, 0)                            \
  X(hvnTerminateInstall, hvnterminateinstall, hvnterminateinstall, 0)                                  \
  X(hvnTerminateSet, hvnterminateset, hvnterminateset, 0, 1, 1)                                        \
  X(hvnTerminateGet, hvnterminateget, hvnterminateget, 15)                                             \
  X(hvnTerminateClear, hvnterminateclear, hvnterminateclear, 0)                                        \
  X(hvnTerminateRaise, hvnterminateraise, hvnterminateraise, 0)                                        \
  X(hvnTerminateGetHandler, hvnterminategethandler, hvnterminategethandler, 0, 2, 2)                   \
  X(hvnGetScratchName, hvngetscratchname, hvngetscratchname, 12, 11)                                   \
  X(hvnWriteModelInstance, hvnwritemodelinstance, hvnwritemodelinstance, 3, 11, 1, 21)                 \
  X(hvnDuplicateScratchDir, hvnduplicatescratchdir, hvnduplicatescratchdir, 3, 11, 11, 12)             \
  X(hvnInitJacLegacy, hvninitjaclegacy, hvninitjaclegacy, 3, 2, 1)                                     \
  X(hvnSetColRowPermLegacy, hvnsetcolrowpermlegacy, hvnsetcolrowpermlegacy, 0, 1, 3, 8, 3, 8)          \
  X(hvnSetJacPermLegacy, hvnsetjacpermlegacy, hvnsetjacpermlegacy, 0, 1, 3, 8, 8)                      \
  X(hvnEvalNewPointLegacy, hvnevalnewpointlegacy, hvnevalnewpointlegacy, 3, 1, 6)                      \
  X(hvnEvalJacLegacy, hvnevaljaclegacy, hvnevaljaclegacy, 3, 1, 3, 6, 22, 6, 21, 21)                   \
  X(hvnEvalJacLegacyX, hvnevaljaclegacyx, hvnevaljaclegacyx, 3, 1, 3, 8, 6, 6, 6, 21, 21)              \
  X(hvnNextNLLegacy, hvnnextnllegacy, hvnnextnllegacy, 3, 1, 3)                                        \
  X(hvnRowZlm2SlvLegacy, hvnrowzlm2slvlegacy, hvnrowzlm2slvlegacy, 3, 1, 3)                            \
  X(hvnFreeJacLegacy, hvnfreejaclegacy, hvnfreejaclegacy, 0, 2)                                        \
  X(hvnGetALGX, hvngetalgx, hvngetalgx, 1)                                                             \
  X(hvnSkipIOLegacySet, hvnskipiolegacyset, dhvnskipiolegacyset, 0, 15)                                \
  X(hvnThreads, hvnthreads, dhvnthreads, 3)                                                            \
  X(hvnNSolves, hvnnsolves, dhvnnsolves, 13)
// clang-format on

extern bindproto::binding lib;

enum entryindex : std::size_t { HVNMDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
static_assert(entrycount == 85);

// The callable entries: hvnmdcdef::hvnlog(h, text) and so on. Boolean results and
// arguments are bool (booleans by reference too: they cross the boundary as integers, copied
// in and back); string results take the caller's result first and are cut to its capacity.
HVNMDCDEF_ENTRIES(BINDPROTO_ENTRY)

// hvngetready, hvncreate, hvncreatedd, hvnfree, hvnlibraryunload, the indicators, ...
BINDPROTO_OPERATIONS(hvn)
BINDPROTO_CREATEDD(hvn)

// The engine's rows of the entries, in binding order (the tests compare them).
[[nodiscard]] std::span<const bindproto::entrydesc> entries();

// The names under which the environment library's options are read and set
// (hvngetintopt, hvnsetstropt, ...).
inline constexpr q5rt::sstr hvntryint = q5rt::sstr::cut("TryInt");
inline constexpr q5rt::sstr hvnreform = q5rt::sstr::cut("Reform");
inline constexpr q5rt::sstr hvnreal1 = q5rt::sstr::cut("Real1");
inline constexpr q5rt::sstr hvnreal2 = q5rt::sstr::cut("Real2");
inline constexpr q5rt::sstr hvnreal3 = q5rt::sstr::cut("Real3");
inline constexpr q5rt::sstr hvnreal4 = q5rt::sstr::cut("Real4");
inline constexpr q5rt::sstr hvnreal5 = q5rt::sstr::cut("Real5");
inline constexpr q5rt::sstr hvninteger1 = q5rt::sstr::cut("Integer1");
inline constexpr q5rt::sstr hvninteger2 = q5rt::sstr::cut("Integer2");
inline constexpr q5rt::sstr hvninteger3 = q5rt::sstr::cut("Integer3");
inline constexpr q5rt::sstr hvninteger4 = q5rt::sstr::cut("Integer4");
inline constexpr q5rt::sstr hvninteger5 = q5rt::sstr::cut("Integer5");
inline constexpr q5rt::sstr hvncutoff = q5rt::sstr::cut("CutOff");
inline constexpr q5rt::sstr hvnusecutoff = q5rt::sstr::cut("UseCutOff");
inline constexpr q5rt::sstr hvncheat = q5rt::sstr::cut("Cheat");
inline constexpr q5rt::sstr hvnusecheat = q5rt::sstr::cut("UseCheat");
inline constexpr q5rt::sstr hvnisdefaultsubsys = q5rt::sstr::cut("isDefaultSubsys");
inline constexpr q5rt::sstr hvnsubsysfile = q5rt::sstr::cut("subsysFile");
inline constexpr q5rt::sstr hvnnameextffile = q5rt::sstr::cut("NameExtFFile");
inline constexpr q5rt::sstr hvnnamescenfile = q5rt::sstr::cut("NameScenFile");
inline constexpr q5rt::sstr hvnnameparams = q5rt::sstr::cut("NameParams");
inline constexpr q5rt::sstr hvnnamezolmtime = q5rt::sstr::cut("NameZolmTime");
inline constexpr q5rt::sstr hvnnamezolmdate = q5rt::sstr::cut("NameZolmDate");
inline constexpr q5rt::sstr hvnthreadsraw = q5rt::sstr::cut("ThreadsRaw");
inline constexpr q5rt::sstr hvncursolver = q5rt::sstr::cut("CurSolver");
inline constexpr q5rt::sstr hvngensolver = q5rt::sstr::cut("GenSolver");
inline constexpr q5rt::sstr hvnzolmversion = q5rt::sstr::cut("ZolmVersion");
inline constexpr q5rt::sstr hvnalgfiletype = q5rt::sstr::cut("AlgFileType");
inline constexpr q5rt::sstr hvnfdopt = q5rt::sstr::cut("FDOpt");
inline constexpr q5rt::sstr hvnfddelta = q5rt::sstr::cut("FDDelta");
inline constexpr q5rt::sstr hvnnamescrext = q5rt::sstr::cut("NameScrExt");
inline constexpr q5rt::sstr hvnheaplimit = q5rt::sstr::cut("HeapLimit");
inline constexpr q5rt::sstr hvnsavepoint = q5rt::sstr::cut("SavePoint");
inline constexpr q5rt::sstr hvnworkspace = q5rt::sstr::cut("WorkSpace");
inline constexpr q5rt::sstr hvnworkfactor = q5rt::sstr::cut("WorkFactor");
inline constexpr q5rt::sstr hvnnodelim = q5rt::sstr::cut("NodeLim");
inline constexpr q5rt::sstr hvnsysout = q5rt::sstr::cut("SysOut");
inline constexpr q5rt::sstr hvnoptca = q5rt::sstr::cut("OptCA");
inline constexpr q5rt::sstr hvnoptcr = q5rt::sstr::cut("OptCR");
inline constexpr q5rt::sstr hvnreslim = q5rt::sstr::cut("ResLim");
inline constexpr q5rt::sstr hvndomlim = q5rt::sstr::cut("DomLim");
inline constexpr q5rt::sstr hvniterlim = q5rt::sstr::cut("IterLim");
inline constexpr q5rt::sstr hvnideflag = q5rt::sstr::cut("IDEFlag");
inline constexpr q5rt::sstr hvnkeep = q5rt::sstr::cut("Keep");
inline constexpr q5rt::sstr hvnnamestafile = q5rt::sstr::cut("NameStaFile");
inline constexpr q5rt::sstr hvnnameinstr = q5rt::sstr::cut("NameInstr");
inline constexpr q5rt::sstr hvnnamematrix = q5rt::sstr::cut("NameMatrix");
inline constexpr q5rt::sstr hvnnamectrfile = q5rt::sstr::cut("NameCtrFile");
inline constexpr q5rt::sstr hvnnamelogfile = q5rt::sstr::cut("NameLogFile");
inline constexpr q5rt::sstr hvnlogoption = q5rt::sstr::cut("LogOption");
inline constexpr q5rt::sstr hvnnamewrkdir = q5rt::sstr::cut("NameWrkDir");
inline constexpr q5rt::sstr hvnnamecurdir = q5rt::sstr::cut("NameCurDir");
inline constexpr q5rt::sstr hvnnamesysdir = q5rt::sstr::cut("NameSysDir");
inline constexpr q5rt::sstr hvnnamescrdir = q5rt::sstr::cut("NameScrDir");
inline constexpr q5rt::sstr hvnpagesize = q5rt::sstr::cut("PageSize");
inline constexpr q5rt::sstr hvnpagewidth = q5rt::sstr::cut("PageWidth");

}  // namespace hvnmdcdef
