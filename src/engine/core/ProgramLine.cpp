#include "ProgramLine.h"

#include <cstring>

namespace {

// Appends count copies of c; 0 when they do not fit.
int AppendRepeated(char (&out)[kTextSize], std::size_t& used, char c, std::size_t count) {
  if (count >= sizeof out - used) return 0;
  std::memset(out + used, c, count);
  used += count;
  out[used] = '\0';
  return 1;
}

}  // namespace

int QuoteArgument(const char* text, char (&out)[kTextSize]) {
  // Backslashes count only before a quote: there they are doubled, and the
  // quote itself is escaped, so that neither ends the argument early.
  std::size_t used = 0;
  out[0] = '\0';
  int fits = AppendRepeated(out, used, '"', 1);
  std::size_t slashes = 0;
  for (const char* p = text; fits && *p != '\0'; ++p) {
    if (*p == '\\') {
      ++slashes;
      continue;
    }
    if (*p == '"') {
      fits = AppendRepeated(out, used, '\\', slashes * 2 + 1);
    } else {
      fits = AppendRepeated(out, used, '\\', slashes);
    }
    fits = fits && AppendRepeated(out, used, *p, 1);
    slashes = 0;
  }
  fits = fits && AppendRepeated(out, used, '\\', slashes * 2);
  fits = fits && AppendRepeated(out, used, '"', 1);
  if (!fits) out[0] = '\0';
  return fits;
}

int ParseRunLine(const char* program, const char* value, FieldSplitter split, RunLine& run) {
  std::memset(&run, 0, sizeof run);
  LineCursor cursor = StartLine(value, split);
  char parameters[kTextSize];
  NextField(cursor, run.Folder, sizeof run.Folder);
  NextField(cursor, parameters, sizeof parameters);

  int fits = run.Folder[0] != '\0' && CopyText(run.File, run.Folder);
  fits &= AppendText(run.File, "\\");
  fits &= AppendText(run.File, program);
  fits = fits && QuoteArgument(parameters, run.Parameters);
  if (!fits) std::memset(&run, 0, sizeof run);
  return fits;
}

void ParseKillLine(const char* value, FieldSplitter split, KillLine& kill) {
  LineCursor cursor = StartLine(value, split);
  NextField(cursor, kill.ClassName, sizeof kill.ClassName);
  NextField(cursor, kill.Title, sizeof kill.Title);
}

int BuildPreRunCommandLine(const char* folder, const char* program, const char* arguments,
                           char* out, std::size_t cap) {
  int fits = folder[0] != '\0' && CopyText(out, cap, "\"") && AppendText(out, cap, folder) &&
             AppendText(out, cap, "\\") && AppendText(out, cap, program) &&
             AppendText(out, cap, "\" ") && AppendText(out, cap, arguments);
  if (!fits && cap > 0) out[0] = '\0';  // a cut command line would start the wrong thing
  return fits;
}
