#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builders of music-file bytes for tests, written independently of the readers they
// check, and access to the command-line audio tools some tests use.
namespace TestFiles {

// MPEG version field values of the frame header.
enum MpegVersion { kMpeg25 = 0, kMpeg2 = 2, kMpeg1 = 3 };
// Layer field values.
enum MpegLayer { kLayer3 = 1, kLayer2 = 2, kLayer1 = 3 };

// The four header bytes of a frame.
std::vector<std::uint8_t> FrameHeader(int version, int layer, int bitrateIndex, int sampleRateIndex,
                                      int channelMode, bool padding = false);
// Length in bytes of a frame with that header (header included).
int FrameLength(int version, int layer, int bitrateKbps, int sampleRateHz, bool padding);
// count consecutive frames with that header and zero bodies.
std::vector<std::uint8_t> Frames(int version, int layer, int bitrateIndex, int sampleRateIndex,
                                 int channelMode, int count);
// A 128-byte ID3v1 block ("TAG" + fields, version 1.1 when track >= 1).
std::vector<std::uint8_t> Id3v1Block(const std::string& title, const std::string& artist,
                                     const std::string& album, const std::string& year,
                                     const std::string& comment, int track, int genre);

// True when a program of that name is on the PATH.
bool HaveTool(const std::string& name);
// Runs a shell command; answers its exit status (-1 when it could not run).
int Run(const std::string& command);
// Runs a shell command and answers what it printed on standard output.
std::string Capture(const std::string& command, int* status = nullptr);
// Quotes a text for the shell.
std::string ShellQuote(const std::string& text);
// Writes a stereo sine tone of that many seconds as a 128 kbit/s MP3 at path (sox, then
// lame with the extra options given, such as a title tag); the WAV beside it is kept.
// False when a tool failed.
bool WriteSineMp3(const std::string& path, int seconds, int hz,
                  const std::string& lameOptions = {});

} // namespace TestFiles
