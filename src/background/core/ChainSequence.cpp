#include "ChainSequence.h"

namespace {

int BuildPath(const SettingsRecord& s, const char* folder, const char* program, ChainCommand& out) {
  out.Application[0] = '\0';
  out.CommandLine[0] = '\0';
  if (!CopyText(out.Application, s.ModuleDir) || !AppendText(out.Application, "\\") ||
      (folder[0] != '\0' &&
       (!AppendText(out.Application, folder) || !AppendText(out.Application, "\\"))) ||
      !AppendText(out.Application, program)) {
    out.Application[0] = '\0';
    return kChainTooLong;
  }
  CopyText(out.CommandLine, out.Application);
  return kChainReady;
}

int AppendSwitch(ChainCommand& out, int on, const char* text) {
  return !on || AppendText(out.CommandLine, text);
}

int Finish(ChainCommand& out, int fits) {
  if (fits) return kChainReady;
  out.Application[0] = '\0';
  out.CommandLine[0] = '\0';
  return kChainTooLong;
}

}  // namespace

int BuildFirstChainCommand(const SettingsRecord& s, ChainCommand& out) {
  int result = BuildPath(s, s.DirName1, s.SetupProgramName, out);
  if (result != kChainReady) return result;
  // "/qn" comes without a blank in front: the stage programs know " /v/qn".
  int fits = AppendSwitch(out, s.SilentMode, " /s") && AppendSwitch(out, s.SwitchV, " /v") &&
             AppendSwitch(out, s.SwitchQN, "/qn");
  return Finish(out, fits);
}

int BuildSecondChainCommand(const SettingsRecord& s, ChainCommand& out) {
  int result = BuildPath(s, s.DirName2, "Setup.exe", out);
  if (result != kChainReady) return result;
  int fits = AppendSwitch(out, s.HiddenMode, " /h") && AppendSwitch(out, s.SilentMode, " /s") &&
             AppendSwitch(out, s.NoRestart, " /nr");
  return Finish(out, fits);
}

int ChooseFirstStage(const SettingsRecord& s, int buildResult, int isThisProgram, int exists) {
  if (s.DirName1[0] == '\0' && (isThisProgram || !exists)) return kFirstOpenWizard;
  return buildResult == kChainReady ? kFirstStartProgram : kFirstNothing;
}

void ChainFirstDone(ChainState& state, int outcome, const SettingsRecord& s) {
  // Without DirName2 there is none: not even a Setup.exe beside this program.
  if (s.DirName2[0] == '\0') state.SkipSecond = 1;
  if (outcome == kFirstRunning) return;
  state.ChainWait = 0;
  if (outcome != kFirstWizardEnded) state.SkipSecond = 1;
}

unsigned ChainStep(ChainState& state) {
  if (state.ChainStarted == 0) {
    state.ChainStarted = 1;
    return kActStartFirst;
  }
  if (state.ChainWait) return kActWaitAgain;
  return (state.SkipSecond ? 0u : unsigned{kActStartSecond}) | kActEnd;
}
