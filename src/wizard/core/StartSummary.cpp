#include "StartSummary.h"

#include <cstring>

namespace {

// Appends what fits of text and counts all of it, so the caller learns
// the full length even when the buffer is too small.
struct SummaryWriter {
  char* out;
  std::size_t cap;
  std::size_t length;

  void Add(const char* text, std::size_t n) {
    if (length < cap) CopyTextN(out + length, cap - length, text, n);
    length += n;
  }
  void Add(const char* text) {
    if (text) Add(text, std::strlen(text));
  }
  // Settings fields are read no further than their buffers.
  void AddField(const char* field) {
    if (field) Add(field, BoundedLength(field, kTextSize));
  }

  void Entry(int first, const char* label) {
    if (!first) Add("\r\n\r\n");
    Add(label);
    Add(":\r\n          ");
  }
};

}  // namespace

std::size_t ComposeStartSummary(const SettingsRecord& s, const char* programFolder,
                                const SummaryLabels& labels, char* out, std::size_t cap) {
  SummaryWriter w{out, cap, 0};
  w.Entry(1, labels.Product);
  w.AddField(s.ProductName);
  w.Entry(0, labels.Version);
  w.AddField(s.Version);
  w.Entry(0, labels.Interface);
  if (s.InterfaceType == kInterfaceUSB) w.Add(labels.UsbName);
  if (s.InterfaceType == kInterfacePS2) w.Add(labels.Ps2Name);
  if (s.AskPath) {
    w.Entry(0, labels.InstallDir);
    w.AddField(s.InstallDir);
  }
  if (s.AskProgramFolder) {
    w.Entry(0, labels.ProgramFolder);
    w.AddField(programFolder);
  }
  return w.length;
}
