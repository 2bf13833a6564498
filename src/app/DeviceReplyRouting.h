#pragma once
// The receive tick's view of the configuration reply recognition of the tracker
// configuration core: one place that knows its calling conventions.

// True when chunk (NUL-terminated, at most 96 bytes) is a complete configuration reply;
// type then holds its reply type (1..11).
bool RecogniseDeviceReply(const char* chunk, int& type);
// The stored text of a reply type; false for a type outside 1..11.
bool DeviceReplyFieldText(int type, const char*& text);
