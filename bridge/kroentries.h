// The model-object library's entries in binding order, written once for the bridge's
// model-object loader and the model-object stand-in:
// X(exported name, C++ name, method, result code, argument codes...). The codes are the
// signature the library's check entry confirms (the object handle not counted); an entry
// with a text code (11, 12, 55) is exported as "C" + name with zero-terminated texts.
#pragma once

// clang-format off
#define KROENTRIES(X) \
  X(kroInitData, kroinitdata, kroinitdata, 3, 3, 3, 3)                                                         \
  X(kroAddRow, kroaddrow, kroaddrow, 3, 3, 13, 3, 7, 5, 7)                                                     \
  X(kroAddCol, kroaddcol, kroaddcol, 3, 3, 13, 13, 13, 3, 7, 5, 7)                                             \
  X(kroCompleteData, krocompletedata, krocompletedata, 3, 12)                                                  \
  X(kroFillMatches, krofillmatches, krofillmatches, 3, 12)                                                     \
  X(kroLoadDataLegacy, kroloaddatalegacy, kroloaddatalegacy, 3, 12)                                            \
  X(kroLoadDataLegacyEx, kroloaddatalegacyex, kroloaddatalegacyex, 3, 15, 12)                                  \
  X(kroRegisterEnvironment, kroregisterenvironment, kroregisterenvironment, 3, 1, 12)                          \
  X(kroEnvironment, kroenvironment, kroenvironment, 1)                                                         \
  X(kroViewStore, kroviewstore, kroviewstore, 3)                                                               \
  X(kroViewRestore, kroviewrestore, kroviewrestore, 3, 2)                                                      \
  X(kroViewDump, kroviewdump, kroviewdump, 0)                                                                  \
  X(kroGetiSolver, krogetisolver, krogetisolver, 3, 3)                                                         \
  X(kroGetjSolver, krogetjsolver, krogetjsolver, 3, 3)                                                         \
  X(kroGetiSolverQuiet, krogetisolverquiet, krogetisolverquiet, 3, 3)                                          \
  X(kroGetjSolverQuiet, krogetjsolverquiet, krogetjsolverquiet, 3, 3)                                          \
  X(kroGetiModel, krogetimodel, krogetimodel, 3, 3)                                                            \
  X(kroGetjModel, krogetjmodel, krogetjmodel, 3, 3)                                                            \
  X(kroSetEquPermutation, krosetequpermutation, krosetequpermutation, 3, 8, 3)                                 \
  X(kroSetRvEquPermutation, krosetrvequpermutation, krosetrvequpermutation, 3, 8, 3)                           \
  X(kroSetVarPermutation, krosetvarpermutation, krosetvarpermutation, 3, 8, 3)                                 \
  X(kroSetRvVarPermutation, krosetrvvarpermutation, krosetrvvarpermutation, 3, 8, 3)                           \
  X(kroSetNRowPerm, krosetnrowperm, krosetnrowperm, 3, 3, 8, 3)                                                \
  X(kroGetVarTypeCnt, krogetvartypecnt, krogetvartypecnt, 3, 3, 4, 4, 4)                                       \
  X(kroGetEquTypeCnt, krogetequtypecnt, krogetequtypecnt, 3, 3, 4)                                             \
  X(kroGetObjStat, krogetobjstat, krogetobjstat, 3, 4, 4, 4)                                                   \
  X(kroGetRowStat, krogetrowstat, krogetrowstat, 3, 3, 4, 4, 4)                                                \
  X(kroGetRowStatEx, krogetrowstatex, krogetrowstatex, 3, 3, 4, 4, 4, 4)                                       \
  X(kroGetColStat, krogetcolstat, krogetcolstat, 3, 3, 4, 4, 4)                                                \
  X(kroGetRowQNZOne, krogetrowqnzone, krogetrowqnzone, 3, 3)                                                   \
  X(kroGetRowQNZOne64, krogetrowqnzone64, krogetrowqnzone64, 23, 3)                                            \
  X(kroGetRowQDiagNZOne, krogetrowqdiagnzone, krogetrowqdiagnzone, 3, 3)                                       \
  X(kroGetRowCVecNZOne, krogetrowcvecnzone, krogetrowcvecnzone, 3, 3)                                          \
  X(kroGetSosCounts, krogetsoscounts, krogetsoscounts, 3, 4, 4, 4)                                             \
  X(kroGetXLibCounts, krogetxlibcounts, krogetxlibcounts, 3, 4, 8)                                             \
  X(kroGetActiveModelType, krogetactivemodeltype, krogetactivemodeltype, 3, 3)                                 \
  X(kroGetMatrixRow, krogetmatrixrow, krogetmatrixrow, 3, 8, 8, 8, 6, 8)                                       \
  X(kroGetMatrixCol, krogetmatrixcol, krogetmatrixcol, 3, 8, 8, 6, 8)                                          \
  X(kroGetMatrixCplex, krogetmatrixcplex, krogetmatrixcplex, 3, 8, 8, 8, 6, 8)                                 \
  X(kroGetObjName, krogetobjname, krogetobjname, 12)                                                           \
  X(kroGetObjNameCustom, krogetobjnamecustom, krogetobjnamecustom, 12, 11)                                     \
  X(kroGetObjVector, krogetobjvector, krogetobjvector, 3, 6, 8)                                                \
  X(kroGetObjSparse, krogetobjsparse, krogetobjsparse, 3, 8, 6, 8, 4, 4)                                       \
  X(kroGetObjSparseEx, krogetobjsparseex, krogetobjsparseex, 3, 8, 6, 8, 4, 4, 4)                              \
  X(kroGetObjQMat, krogetobjqmat, krogetobjqmat, 3, 8, 8, 6)                                                   \
  X(kroGetObjQ, krogetobjq, krogetobjq, 3, 8, 8, 6)                                                            \
  X(kroGetObjCVec, krogetobjcvec, krogetobjcvec, 3, 8, 6)                                                      \
  X(kroGetObjL, krogetobjl, krogetobjl, 13)                                                                    \
  X(kroGetEquL, krogetequl, krogetequl, 3, 6)                                                                  \
  X(kroGetEquLOne, krogetequlone, krogetequlone, 13, 3)                                                        \
  X(kroSetEquL, krosetequl, krosetequl, 3, 5)                                                                  \
  X(kroSetEquLOne, krosetequlone, krosetequlone, 0, 3, 13)                                                     \
  X(kroGetEquM, krogetequm, krogetequm, 3, 6)                                                                  \
  X(kroGetEquMOne, krogetequmone, krogetequmone, 13, 3)                                                        \
  X(kroSetEquM, krosetequm, krosetequm, 3, 5)                                                                  \
  X(kroGetEquNameOne, krogetequnameone, krogetequnameone, 12, 3)                                               \
  X(kroGetEquNameCustomOne, krogetequnamecustomone, krogetequnamecustomone, 12, 3, 11)                         \
  X(kroGetRhs, krogetrhs, krogetrhs, 3, 6)                                                                     \
  X(kroGetRhsOne, krogetrhsone, krogetrhsone, 13, 3)                                                           \
  X(kroGetRhsOneEx, krogetrhsoneex, krogetrhsoneex, 13, 3)                                                     \
  X(kroSetAltRHS, krosetaltrhs, krosetaltrhs, 3, 5)                                                            \
  X(kroSetAltRHSOne, krosetaltrhsone, krosetaltrhsone, 0, 3, 13)                                               \
  X(kroGetEquSlack, krogetequslack, krogetequslack, 3, 6)                                                      \
  X(kroGetEquSlackOne, krogetequslackone, krogetequslackone, 13, 3)                                            \
  X(kroSetEquSlack, krosetequslack, krosetequslack, 3, 5)                                                      \
  X(kroGetEquType, krogetequtype, krogetequtype, 3, 8)                                                         \
  X(kroGetEquTypeOne, krogetequtypeone, krogetequtypeone, 3, 3)                                                \
  X(kroGetEquStat, krogetequstat, krogetequstat, 3, 8)                                                         \
  X(kroGetEquStatOne, krogetequstatone, krogetequstatone, 3, 3)                                                \
  X(kroSetEquStat, krosetequstat, krosetequstat, 3, 7)                                                         \
  X(kroGetEquCStat, krogetequcstat, krogetequcstat, 3, 8)                                                      \
  X(kroGetEquCStatOne, krogetequcstatone, krogetequcstatone, 3, 3)                                             \
  X(kroSetEquCStat, krosetequcstat, krosetequcstat, 3, 7)                                                      \
  X(kroGetEquMatch, krogetequmatch, krogetequmatch, 3, 8)                                                      \
  X(kroGetEquMatchOne, krogetequmatchone, krogetequmatchone, 3, 3)                                             \
  X(kroGetEquScale, krogetequscale, krogetequscale, 3, 6)                                                      \
  X(kroGetEquScaleOne, krogetequscaleone, krogetequscaleone, 13, 3)                                            \
  X(kroGetEquStage, krogetequstage, krogetequstage, 3, 8)                                                      \
  X(kroGetEquStageOne, krogetequstageone, krogetequstageone, 3, 3)                                             \
  X(kroGetEquOrderOne, krogetequorderone, krogetequorderone, 3, 3)                                             \
  X(kroGetRowSparse, krogetrowsparse, krogetrowsparse, 3, 3, 8, 6, 8, 4, 4)                                    \
  X(kroGetRowSparseEx, krogetrowsparseex, krogetrowsparseex, 3, 3, 8, 6, 8, 4, 4, 4)                           \
  X(kroGetRowJacInfoOne, krogetrowjacinfoone, krogetrowjacinfoone, 3, 3, 2, 4, 14, 4)                          \
  X(kroGetRowQMat, krogetrowqmat, krogetrowqmat, 3, 3, 8, 8, 6)                                                \
  X(kroGetRowQ, krogetrowq, krogetrowq, 3, 3, 8, 8, 6)                                                         \
  X(kroGetRowCVec, krogetrowcvec, krogetrowcvec, 3, 3, 8, 6)                                                   \
  X(kroGetRowQConst, krogetrowqconst, krogetrowqconst, 13, 3)                                                  \
  X(kroGetEquIntDotOpt, krogetequintdotopt, krogetequintdotopt, 3, 1, 11, 8)                                   \
  X(kroGetEquDblDotOpt, krogetequdbldotopt, krogetequdbldotopt, 3, 1, 11, 6)                                   \
  X(kroGetVarL, krogetvarl, krogetvarl, 3, 6)                                                                  \
  X(kroGetVarLOne, krogetvarlone, krogetvarlone, 13, 3)                                                        \
  X(kroSetVarL, krosetvarl, krosetvarl, 3, 5)                                                                  \
  X(kroSetVarLOne, krosetvarlone, krosetvarlone, 0, 3, 13)                                                     \
  X(kroGetVarM, krogetvarm, krogetvarm, 3, 6)                                                                  \
  X(kroGetVarMOne, krogetvarmone, krogetvarmone, 13, 3)                                                        \
  X(kroSetVarM, krosetvarm, krosetvarm, 3, 5)                                                                  \
  X(kroSetVarMOne, krosetvarmone, krosetvarmone, 0, 3, 13)                                                     \
  X(kroGetVarNameOne, krogetvarnameone, krogetvarnameone, 12, 3)                                               \
  X(kroGetVarNameCustomOne, krogetvarnamecustomone, krogetvarnamecustomone, 12, 3, 11)                         \
  X(kroGetVarLower, krogetvarlower, krogetvarlower, 3, 6)                                                      \
  X(kroGetVarLowerOne, krogetvarlowerone, krogetvarlowerone, 13, 3)                                            \
  X(kroGetVarUpper, krogetvarupper, krogetvarupper, 3, 6)                                                      \
  X(kroGetVarUpperOne, krogetvarupperone, krogetvarupperone, 13, 3)                                            \
  X(kroSetAltVarBounds, krosetaltvarbounds, krosetaltvarbounds, 3, 5, 5)                                       \
  X(kroSetAltVarLowerOne, krosetaltvarlowerone, krosetaltvarlowerone, 0, 3, 13)                                \
  X(kroSetAltVarUpperOne, krosetaltvarupperone, krosetaltvarupperone, 0, 3, 13)                                \
  X(kroGetVarType, krogetvartype, krogetvartype, 3, 8)                                                         \
  X(kroGetVarTypeOne, krogetvartypeone, krogetvartypeone, 3, 3)                                                \
  X(kroSetAltVarType, krosetaltvartype, krosetaltvartype, 3, 7)                                                \
  X(kroSetAltVarTypeOne, krosetaltvartypeone, krosetaltvartypeone, 0, 3, 3)                                    \
  X(kroGetVarStat, krogetvarstat, krogetvarstat, 3, 8)                                                         \
  X(kroGetVarStatOne, krogetvarstatone, krogetvarstatone, 3, 3)                                                \
  X(kroSetVarStat, krosetvarstat, krosetvarstat, 3, 7)                                                         \
  X(kroSetVarStatOne, krosetvarstatone, krosetvarstatone, 0, 3, 3)                                             \
  X(kroGetVarCStat, krogetvarcstat, krogetvarcstat, 3, 8)                                                      \
  X(kroGetVarCStatOne, krogetvarcstatone, krogetvarcstatone, 3, 3)                                             \
  X(kroSetVarCStat, krosetvarcstat, krosetvarcstat, 3, 7)                                                      \
  X(kroGetVarMatch, krogetvarmatch, krogetvarmatch, 3, 8)                                                      \
  X(kroGetVarMatchOne, krogetvarmatchone, krogetvarmatchone, 3, 3)                                             \
  X(kroGetVarPrior, krogetvarprior, krogetvarprior, 3, 6)                                                      \
  X(kroGetVarPriorOne, krogetvarpriorone, krogetvarpriorone, 13, 3)                                            \
  X(kroGetVarScale, krogetvarscale, krogetvarscale, 3, 6)                                                      \
  X(kroGetVarScaleOne, krogetvarscaleone, krogetvarscaleone, 13, 3)                                            \
  X(kroGetVarStage, krogetvarstage, krogetvarstage, 3, 8)                                                      \
  X(kroGetVarStageOne, krogetvarstageone, krogetvarstageone, 3, 3)                                             \
  X(kroGetSosConstraints, krogetsosconstraints, krogetsosconstraints, 3, 8, 8, 8, 6)                           \
  X(kroGetVarSosSetOne, krogetvarsossetone, krogetvarsossetone, 3, 3)                                          \
  X(kroGetColSparse, krogetcolsparse, krogetcolsparse, 3, 3, 8, 6, 8, 4)                                       \
  X(kroGetColJacInfoOne, krogetcoljacinfoone, krogetcoljacinfoone, 3, 3, 2, 4, 14, 4)                          \
  X(kroGetVarIntDotOpt, krogetvarintdotopt, krogetvarintdotopt, 3, 1, 11, 8)                                   \
  X(kroGetVarDblDotOpt, krogetvardbldotopt, krogetvardbldotopt, 3, 1, 11, 6)                                   \
  X(kroEvalErrorMsg, kroevalerrormsg, kroevalerrormsg, 0, 15)                                                  \
  X(kroEvalErrorMsg_MT, kroevalerrormsg_mt, kroevalerrormsg_mt, 0, 15, 3)                                      \
  X(kroEvalErrorMaskLevel, kroevalerrormasklevel, kroevalerrormasklevel, 0, 3)                                 \
  X(kroEvalErrorMaskLevel_MT, kroevalerrormasklevel_mt, kroevalerrormasklevel_mt, 0, 3, 3)                     \
  X(kroEvalNewPoint, kroevalnewpoint, kroevalnewpoint, 3, 5)                                                   \
  X(kroSetExtFuncs, krosetextfuncs, krosetextfuncs, 3, 1)                                                      \
  X(kroGetQMakerStats, krogetqmakerstats, krogetqmakerstats, 0, 4, 4, 14)                                      \
  X(kroEvalFunc, kroevalfunc, kroevalfunc, 3, 3, 5, 14, 4)                                                     \
  X(kroEvalFunc_MT, kroevalfunc_mt, kroevalfunc_mt, 3, 3, 5, 14, 4, 3)                                         \
  X(kroEvalFuncInt, kroevalfuncint, kroevalfuncint, 3, 3, 5, 14, 4)                                            \
  X(kroEvalFuncInt_MT, kroevalfuncint_mt, kroevalfuncint_mt, 3, 3, 5, 14, 4, 3)                                \
  X(kroEvalFuncNL, kroevalfuncnl, kroevalfuncnl, 3, 3, 5, 14, 4)                                               \
  X(kroEvalFuncNL_MT, kroevalfuncnl_mt, kroevalfuncnl_mt, 3, 3, 5, 14, 4, 3)                                   \
  X(kroEvalFuncObj, kroevalfuncobj, kroevalfuncobj, 3, 5, 14, 4)                                               \
  X(kroEvalFuncNLObj, kroevalfuncnlobj, kroevalfuncnlobj, 3, 5, 14, 4)                                         \
  X(kroEvalFuncInterval, kroevalfuncinterval, kroevalfuncinterval, 3, 3, 5, 5, 14, 14, 4)                      \
  X(kroEvalFuncInterval_MT, kroevalfuncinterval_mt, kroevalfuncinterval_mt, 3, 3, 5, 5, 14, 14, 4, 3)          \
  X(kroEvalGrad, kroevalgrad, kroevalgrad, 3, 3, 5, 14, 6, 14, 4)                                              \
  X(kroEvalGrad_MT, kroevalgrad_mt, kroevalgrad_mt, 3, 3, 5, 14, 6, 14, 4, 3)                                  \
  X(kroEvalGradNL, kroevalgradnl, kroevalgradnl, 3, 3, 5, 14, 6, 14, 4)                                        \
  X(kroEvalGradNL_MT, kroevalgradnl_mt, kroevalgradnl_mt, 3, 3, 5, 14, 6, 14, 4, 3)                            \
  X(kroEvalGradObj, kroevalgradobj, kroevalgradobj, 3, 5, 14, 6, 14, 4)                                        \
  X(kroEvalGradNLObj, kroevalgradnlobj, kroevalgradnlobj, 3, 5, 14, 6, 14, 4)                                  \
  X(kroEvalGradInterval, kroevalgradinterval, kroevalgradinterval, 3, 3, 5, 5, 14, 14, 8, 6, 6, 4)             \
  X(kroEvalGradInterval_MT, kroevalgradinterval_mt, kroevalgradinterval_mt, 3, 3, 5, 5, 14, 14, 8, 6, 6, 4, 3) \
  X(kroEvalGradNLUpdate, kroevalgradnlupdate, kroevalgradnlupdate, 3, 6, 14, 4)                                \
  X(kroGetJacUpdate, krogetjacupdate, krogetjacupdate, 3, 8, 6, 4, 4)                                          \
  X(kroHessLoad, krohessload, krohessload, 3, 13, 4, 4)                                                        \
  X(kroHessUnload, krohessunload, krohessunload, 3)                                                            \
  X(kroHessDim, krohessdim, krohessdim, 3, 3)                                                                  \
  X(kroHessNz, krohessnz, krohessnz, 3, 3)                                                                     \
  X(kroHessNz64, krohessnz64, krohessnz64, 23, 3)                                                              \
  X(kroHessStruct, krohessstruct, krohessstruct, 3, 3, 8, 8, 4, 4)                                             \
  X(kroHessStruct64, krohessstruct64, krohessstruct64, 3, 3, 8, 8, 4, 25)                                      \
  X(kroHessValue, krohessvalue, krohessvalue, 3, 3, 8, 8, 6, 14, 14, 4)                                        \
  X(kroHessValue64, krohessvalue64, krohessvalue64, 3, 3, 8, 8, 6, 14, 14, 4)                                  \
  X(kroHessVec, krohessvec, krohessvec, 3, 3, 5, 5, 6, 14, 4)                                                  \
  X(kroHessLagStruct, krohesslagstruct, krohesslagstruct, 3, 8, 8)                                             \
  X(kroHessLagValue, krohesslagvalue, krohesslagvalue, 3, 5, 5, 6, 6, 13, 13, 4)                               \
  X(kroHessLagVec, krohesslagvec, krohesslagvec, 3, 5, 5, 5, 6, 13, 13, 4)                                     \
  X(kroLoadEMPInfo, kroloadempinfo, kroloadempinfo, 3, 11)                                                     \
  X(kroGetEquVI, krogetequvi, krogetequvi, 3, 8)                                                               \
  X(kroGetEquVIOne, krogetequvione, krogetequvione, 3, 3)                                                      \
  X(kroGetVarVI, krogetvarvi, krogetvarvi, 3, 8)                                                               \
  X(kroGetVarVIOne, krogetvarvione, krogetvarvione, 3, 3)                                                      \
  X(kroGetAgentType, krogetagenttype, krogetagenttype, 3, 8)                                                   \
  X(kroGetAgentTypeOne, krogetagenttypeone, krogetagenttypeone, 3, 3)                                          \
  X(kroGetBiLevelInfo, krogetbilevelinfo, krogetbilevelinfo, 3, 11, 4, 4, 8, 8, 8, 8, 4, 6, 4)                 \
  X(kroDumpEMPInfoToVRK, krodumpempinfotovrk, krodumpempinfotovrk, 3, 11)                                      \
  X(kroGetHeadnTail, krogetheadntail, krogetheadntail, 13, 3)                                                  \
  X(kroSetHeadnTail, krosetheadntail, krosetheadntail, 0, 3, 13)                                               \
  X(kroSetSolutionPrimal, krosetsolutionprimal, krosetsolutionprimal, 0, 5, 8, 3)                              \
  X(kroSetSolution2, krosetsolution2, krosetsolution2, 0, 5, 5, 5, 5)                                          \
  X(kroSetSolution, krosetsolution, krosetsolution, 0, 5, 5, 5, 5, 13, 3, 3)                                   \
  X(kroSetSolution8, krosetsolution8, krosetsolution8, 0, 5, 5, 5, 5, 8, 8, 3, 3)                              \
  X(kroSetSolutionFixer, krosetsolutionfixer, krosetsolutionfixer, 0, 15, 5, 5, 8, 8, 3, 3)                    \
  X(kroGetSolutionVarRec, krogetsolutionvarrec, krogetsolutionvarrec, 0, 3, 14, 14, 4, 4)                      \
  X(kroSetSolutionVarRec, krosetsolutionvarrec, krosetsolutionvarrec, 0, 3, 13, 13, 3, 3)                      \
  X(kroGetSolutionEquRec, krogetsolutionequrec, krogetsolutionequrec, 0, 3, 14, 14, 4, 4)                      \
  X(kroSetSolutionEquRec, krosetsolutionequrec, krosetsolutionequrec, 0, 3, 13, 13, 3, 3)                      \
  X(kroSetSolutionStatus, krosetsolutionstatus, krosetsolutionstatus, 0, 3, 3)                                 \
  X(kroCompleteObjective, krocompleteobjective, krocompleteobjective, 0, 13)                                   \
  X(kroCompleteSolution, krocompletesolution, krocompletesolution, 0)                                          \
  X(kroGetAbsoluteGap, krogetabsolutegap, krogetabsolutegap, 13)                                               \
  X(kroGetRelativeGap, krogetrelativegap, krogetrelativegap, 13)                                               \
  X(kroLoadSolutionLegacy, kroloadsolutionlegacy, kroloadsolutionlegacy, 3, 12)                                \
  X(kroUnloadSolutionLegacy, krounloadsolutionlegacy, krounloadsolutionlegacy, 3)                              \
  X(kroLoadSolutionVRK, kroloadsolutionvrk, kroloadsolutionvrk, 3, 11)                                         \
  X(kroUnloadSolutionVRK, krounloadsolutionvrk, krounloadsolutionvrk, 3, 11)                                   \
  X(kroPrepareAllSolToVRK, kroprepareallsoltovrk, kroprepareallsoltovrk, 3, 11)                                \
  X(kroAddSolutionToVRK, kroaddsolutiontovrk, kroaddsolutiontovrk, 3, 11)                                      \
  X(kroWriteSolDone, krowritesoldone, krowritesoldone, 3, 12)                                                  \
  X(kroCheckSolPoolUEL, krochecksolpooluel, krochecksolpooluel, 3, 3, 4)                                       \
  X(kroPrepareSolPoolMerge, kropreparesolpoolmerge, kropreparesolpoolmerge, 1, 11, 3, 11)                      \
  X(kroPrepareSolPoolNextSym, kropreparesolpoolnextsym, kropreparesolpoolnextsym, 3, 1)                        \
  X(kroUnloadSolPoolSolution, krounloadsolpoolsolution, krounloadsolpoolsolution, 3, 1, 3)                     \
  X(kroFinalizeSolPoolMerge, krofinalizesolpoolmerge, krofinalizesolpoolmerge, 3, 1)                           \
  X(kroGetVarTypeTxt, krogetvartypetxt, krogetvartypetxt, 12, 3)                                               \
  X(kroGetEquTypeTxt, krogetequtypetxt, krogetequtypetxt, 12, 3)                                               \
  X(kroGetSolveStatusTxt, krogetsolvestatustxt, krogetsolvestatustxt, 12, 3)                                   \
  X(kroGetModelStatusTxt, krogetmodelstatustxt, krogetmodelstatustxt, 12, 3)                                   \
  X(kroGetModelTypeTxt, krogetmodeltypetxt, krogetmodeltypetxt, 12, 3)                                         \
  X(kroGetHeadNTailTxt, krogetheadntailtxt, krogetheadntailtxt, 12, 3)                                         \
  X(kroMemUsed, kromemused, kromemused, 13)                                                                    \
  X(kroPeakMemUsed, kropeakmemused, kropeakmemused, 13)                                                        \
  X(kroSetNLObject, krosetnlobject, krosetnlobject, 0, 1, 1)                                                   \
  X(kroDumpQMakerVRK, krodumpqmakervrk, krodumpqmakervrk, 3, 12)                                               \
  X(kroGetVarEquMap, krogetvarequmap, krogetvarequmap, 3, 3, 3, 4, 4, 4)                                       \
  X(kroGetIndicatorMap, krogetindicatormap, krogetindicatormap, 3, 3, 3, 4, 4, 4)                              \
  X(kroCrudeness, krocrudeness, krocrudeness, 13)                                                              \
  X(kroDirtyGetRowFNLInstr, krodirtygetrowfnlinstr, krodirtygetrowfnlinstr, 3, 3, 4, 8, 8)                     \
  X(kroDirtyGetObjFNLInstr, krodirtygetobjfnlinstr, krodirtygetobjfnlinstr, 3, 4, 8, 8)                        \
  X(kroDirtySetRowFNLInstr, krodirtysetrowfnlinstr, krodirtysetrowfnlinstr, 3, 3, 3, 7, 7, 2, 5, 3)            \
  X(kroGetExtrLibName, krogetextrlibname, krogetextrlibname, 12, 3)                                            \
  X(kroGetExtrLibObjPtr, krogetextrlibobjptr, krogetextrlibobjptr, 1, 3)                                       \
  X(kroGetExtrLibFuncName, krogetextrlibfuncname, krogetextrlibfuncname, 12, 3)                                \
  X(kroLoadExtrLibEntry, kroloadextrlibentry, kroloadextrlibentry, 1, 3, 11, 12)                               \
  X(kroDict, krodict, krodict, 1)                                                                              \
  X(kroDictSet, krodictset, krodictset, 0, 1)                                                                  \
  X(kroNameModel, kronamemodel, kronamemodel, 12)                                                              \
  X(kroNameModelSet, kronamemodelset, kronamemodelset, 0, 12)                                                  \
  X(kroModelSeqNr, kromodelseqnr, kromodelseqnr, 3)                                                            \
  X(kroModelSeqNrSet, kromodelseqnrset, kromodelseqnrset, 0, 3)                                                \
  X(kroModelType, kromodeltype, kromodeltype, 3)                                                               \
  X(kroModelTypeSet, kromodeltypeset, kromodeltypeset, 0, 3)                                                   \
  X(kroNLModelType, kronlmodeltype, kronlmodeltype, 3)                                                         \
  X(kroSense, krosense, krosense, 3)                                                                           \
  X(kroSenseSet, krosenseset, krosenseset, 0, 3)                                                               \
  X(kroIsQP, kroisqp, kroisqp, 15)                                                                             \
  X(kroOptFile, krooptfile, krooptfile, 3)                                                                     \
  X(kroOptFileSet, krooptfileset, krooptfileset, 0, 3)                                                         \
  X(kroDictionary, krodictionary, krodictionary, 15)                                                           \
  X(kroDictionarySet, krodictionaryset, krodictionaryset, 0, 15)                                               \
  X(kroScaleOpt, kroscaleopt, kroscaleopt, 15)                                                                 \
  X(kroScaleOptSet, kroscaleoptset, kroscaleoptset, 0, 15)                                                     \
  X(kroPriorOpt, kroprioropt, kroprioropt, 15)                                                                 \
  X(kroPriorOptSet, kroprioroptset, kroprioroptset, 0, 15)                                                     \
  X(kroHaveBasis, krohavebasis, krohavebasis, 15)                                                              \
  X(kroHaveBasisSet, krohavebasisset, krohavebasisset, 0, 15)                                                  \
  X(kroModelStat, kromodelstat, kromodelstat, 3)                                                               \
  X(kroModelStatSet, kromodelstatset, kromodelstatset, 0, 3)                                                   \
  X(kroSolveStat, krosolvestat, krosolvestat, 3)                                                               \
  X(kroSolveStatSet, krosolvestatset, krosolvestatset, 0, 3)                                                   \
  X(kroIsVornex, kroisvornex, kroisvornex, 15)                                                                 \
  X(kroIsVornexSet, kroisvornexset, kroisvornexset, 0, 15)                                                     \
  X(kroObjStyle, kroobjstyle, kroobjstyle, 3)                                                                  \
  X(kroObjStyleSet, kroobjstyleset, kroobjstyleset, 0, 3)                                                      \
  X(kroInterface, krointerface, krointerface, 3)                                                               \
  X(kroInterfaceSet, krointerfaceset, krointerfaceset, 0, 3)                                                   \
  X(kroIndexBase, kroindexbase, kroindexbase, 3)                                                               \
  X(kroIndexBaseSet, kroindexbaseset, kroindexbaseset, 0, 3)                                                   \
  X(kroObjReform, kroobjreform, kroobjreform, 15)                                                              \
  X(kroObjReformSet, kroobjreformset, kroobjreformset, 0, 15)                                                  \
  X(kroEmptyOut, kroemptyout, kroemptyout, 15)                                                                 \
  X(kroEmptyOutSet, kroemptyoutset, kroemptyoutset, 0, 15)                                                     \
  X(kroIgnXCDeriv, kroignxcderiv, kroignxcderiv, 15)                                                           \
  X(kroIgnXCDerivSet, kroignxcderivset, kroignxcderivset, 0, 15)                                               \
  X(kroUseQ, krouseq, krouseq, 15)                                                                             \
  X(kroUseQSet, krouseqset, krouseqset, 0, 15)                                                                 \
  X(kroQExtractAlg, kroqextractalg, kroqextractalg, 3)                                                         \
  X(kroQExtractAlgSet, kroqextractalgset, kroqextractalgset, 0, 3)                                             \
  X(kroAltBounds, kroaltbounds, kroaltbounds, 15)                                                              \
  X(kroAltBoundsSet, kroaltboundsset, kroaltboundsset, 0, 15)                                                  \
  X(kroAltRHS, kroaltrhs, kroaltrhs, 15)                                                                       \
  X(kroAltRHSSet, kroaltrhsset, kroaltrhsset, 0, 15)                                                           \
  X(kroAltVarTypes, kroaltvartypes, kroaltvartypes, 15)                                                        \
  X(kroAltVarTypesSet, kroaltvartypesset, kroaltvartypesset, 0, 15)                                            \
  X(kroForceLinear, kroforcelinear, kroforcelinear, 15)                                                        \
  X(kroForceLinearSet, kroforcelinearset, kroforcelinearset, 0, 15)                                            \
  X(kroForceCont, kroforcecont, kroforcecont, 15)                                                              \
  X(kroForceContSet, kroforcecontset, kroforcecontset, 0, 15)                                                  \
  X(kroPermuteCols, kropermutecols, kropermutecols, 15)                                                        \
  X(kroPermuteColsSet, kropermutecolsset, kropermutecolsset, 0, 15)                                            \
  X(kroPermuteRows, kropermuterows, kropermuterows, 15)                                                        \
  X(kroPermuteRowsSet, kropermuterowsset, kropermuterowsset, 0, 15)                                            \
  X(kroPinf, kropinf, kropinf, 13)                                                                             \
  X(kroPinfSet, kropinfset, kropinfset, 0, 13)                                                                 \
  X(kroMinf, krominf, krominf, 13)                                                                             \
  X(kroMinfSet, krominfset, krominfset, 0, 13)                                                                 \
  X(kroQNaN, kroqnan, kroqnan, 13)                                                                             \
  X(kroValNA, krovalna, krovalna, 13)                                                                          \
  X(kroValNAInt, krovalnaint, krovalnaint, 3)                                                                  \
  X(kroValUndf, krovalundf, krovalundf, 13)                                                                    \
  X(kroM, krom, krom, 3)                                                                                       \
  X(kroQM, kroqm, kroqm, 3)                                                                                    \
  X(kroNLM, kronlm, kronlm, 3)                                                                                 \
  X(kroNRowMatch, kronrowmatch, kronrowmatch, 3)                                                               \
  X(kroN, kron, kron, 3)                                                                                       \
  X(kroNLN, kronln, kronln, 3)                                                                                 \
  X(kroNDisc, krondisc, krondisc, 3)                                                                           \
  X(kroNFixed, kronfixed, kronfixed, 3)                                                                        \
  X(kroNColMatch, kroncolmatch, kroncolmatch, 3)                                                               \
  X(kroNZ, kronz, kronz, 3)                                                                                    \
  X(kroNZ64, kronz64, kronz64, 23)                                                                             \
  X(kroNLNZ, kronlnz, kronlnz, 3)                                                                              \
  X(kroNLNZ64, kronlnz64, kronlnz64, 23)                                                                       \
  X(kroLNZEx, krolnzex, krolnzex, 3)                                                                           \
  X(kroLNZEx64, krolnzex64, krolnzex64, 23)                                                                    \
  X(kroLNZ, krolnz, krolnz, 3)                                                                                 \
  X(kroLNZ64, krolnz64, krolnz64, 23)                                                                          \
  X(kroQNZ, kroqnz, kroqnz, 3)                                                                                 \
  X(kroQNZ64, kroqnz64, kroqnz64, 23)                                                                          \
  X(kroGNLNZ, krognlnz, krognlnz, 3)                                                                           \
  X(kroGNLNZ64, krognlnz64, krognlnz64, 23)                                                                    \
  X(kroMaxQNZ, kromaxqnz, kromaxqnz, 3)                                                                        \
  X(kroMaxQNZ64, kromaxqnz64, kromaxqnz64, 23)                                                                 \
  X(kroObjNZ, kroobjnz, kroobjnz, 3)                                                                           \
  X(kroObjLNZ, kroobjlnz, kroobjlnz, 3)                                                                        \
  X(kroObjQNZEx, kroobjqnzex, kroobjqnzex, 3)                                                                  \
  X(kroObjNLNZ, kroobjnlnz, kroobjnlnz, 3)                                                                     \
  X(kroObjNLNZEx, kroobjnlnzex, kroobjnlnzex, 3)                                                               \
  X(kroObjQMatNZ, kroobjqmatnz, kroobjqmatnz, 3)                                                               \
  X(kroObjQMatNZ64, kroobjqmatnz64, kroobjqmatnz64, 23)                                                        \
  X(kroObjQNZ, kroobjqnz, kroobjqnz, 3)                                                                        \
  X(kroObjQDiagNZ, kroobjqdiagnz, kroobjqdiagnz, 3)                                                            \
  X(kroObjCVecNZ, kroobjcvecnz, kroobjcvecnz, 3)                                                               \
  X(kroNLConst, kronlconst, kronlconst, 3)                                                                     \
  X(kroNLConstSet, kronlconstset, kronlconstset, 0, 3)                                                         \
  X(kroNLCodeSize, kronlcodesize, kronlcodesize, 3)                                                            \
  X(kroNLCodeSizeSet, kronlcodesizeset, kronlcodesizeset, 0, 3)                                                \
  X(kroNLCodeSizeMaxRow, kronlcodesizemaxrow, kronlcodesizemaxrow, 3)                                          \
  X(kroObjVar, kroobjvar, kroobjvar, 3)                                                                        \
  X(kroObjVarSet, kroobjvarset, kroobjvarset, 0, 3)                                                            \
  X(kroObjRow, kroobjrow, kroobjrow, 3)                                                                        \
  X(kroGetObjOrder, krogetobjorder, krogetobjorder, 3)                                                         \
  X(kroObjConst, kroobjconst, kroobjconst, 13)                                                                 \
  X(kroObjConstEx, kroobjconstex, kroobjconstex, 13)                                                           \
  X(kroObjQConst, kroobjqconst, kroobjqconst, 13)                                                              \
  X(kroObjJacVal, kroobjjacval, kroobjjacval, 13)                                                              \
  X(kroEvalErrorMethod, kroevalerrormethod, kroevalerrormethod, 3)                                             \
  X(kroEvalErrorMethodSet, kroevalerrormethodset, kroevalerrormethodset, 0, 3)                                 \
  X(kroEvalMaxThreads, kroevalmaxthreads, kroevalmaxthreads, 3)                                                \
  X(kroEvalMaxThreadsSet, kroevalmaxthreadsset, kroevalmaxthreadsset, 0, 3)                                    \
  X(kroEvalFuncCount, kroevalfunccount, kroevalfunccount, 3)                                                   \
  X(kroEvalFuncTimeUsed, kroevalfunctimeused, kroevalfunctimeused, 13)                                         \
  X(kroEvalGradCount, kroevalgradcount, kroevalgradcount, 3)                                                   \
  X(kroEvalGradTimeUsed, kroevalgradtimeused, kroevalgradtimeused, 13)                                         \
  X(kroHessMaxDim, krohessmaxdim, krohessmaxdim, 3)                                                            \
  X(kroHessMaxNz, krohessmaxnz, krohessmaxnz, 3)                                                               \
  X(kroHessMaxNz64, krohessmaxnz64, krohessmaxnz64, 23)                                                        \
  X(kroHessLagDim, krohesslagdim, krohesslagdim, 3)                                                            \
  X(kroHessLagNz, krohesslagnz, krohesslagnz, 3)                                                               \
  X(kroHessLagNz64, krohesslagnz64, krohesslagnz64, 23)                                                        \
  X(kroHessLagDiagNz, krohesslagdiagnz, krohesslagdiagnz, 3)                                                   \
  X(kroHessInclQRows, krohessinclqrows, krohessinclqrows, 15)                                                  \
  X(kroHessInclQRowsSet, krohessinclqrowsset, krohessinclqrowsset, 0, 15)                                      \
  X(kroNumVIFunc, kronumvifunc, kronumvifunc, 3)                                                               \
  X(kroNumAgents, kronumagents, kronumagents, 3)                                                               \
  X(kroNameOptFile, kronameoptfile, kronameoptfile, 12)                                                        \
  X(kroNameOptFileSet, kronameoptfileset, kronameoptfileset, 0, 12)                                            \
  X(kroNameSolFile, kronamesolfile, kronamesolfile, 12)                                                        \
  X(kroNameSolFileSet, kronamesolfileset, kronamesolfileset, 0, 12)                                            \
  X(kroNameXLib, kronamexlib, kronamexlib, 12)                                                                 \
  X(kroNameXLibSet, kronamexlibset, kronamexlibset, 0, 12)                                                     \
  X(kroNameMatrix, kronamematrix, kronamematrix, 12)                                                           \
  X(kroNameDict, kronamedict, kronamedict, 12)                                                                 \
  X(kroNameDictSet, kronamedictset, kronamedictset, 0, 12)                                                     \
  X(kroNameInput, kronameinput, kronameinput, 12)                                                              \
  X(kroNameInputSet, kronameinputset, kronameinputset, 0, 12)                                                  \
  X(kroNameOutput, kronameoutput, kronameoutput, 12)                                                           \
  X(kroPPool, kroppool, kroppool, 1)                                                                           \
  X(kroIOMutex, kroiomutex, kroiomutex, 1)                                                                     \
  X(kroError, kroerror, kroerror, 3)                                                                           \
  X(kroErrorSet, kroerrorset, kroerrorset, 0, 3)                                                               \
  X(kroErrorMessage, kroerrormessage, kroerrormessage, 12)

// clang-format on
