// Shared pieces of the skin table tests: a clean skin state per test, messages recorded
// instead of shown, a scratch folder and image files made in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "skin/engine/sskintables.h"
#include "skin/engine/sutils.h"

class TComponent;

// Every test starts and ends with empty tables, no skin loaded and no default manager.
class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Messages ShowWarning and ShowError would have shown.
  static std::vector<std::string>& Messages();
};

// SkinTest with a fresh folder of its own, removed afterwards.
class SkinFolderTest : public SkinTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::string& Folder() const { return folder_; }  // with a trailing backslash
  std::string Path(const std::string& name) const { return folder_ + name; }
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string folder_;
};

void WriteFileBytes(const std::string& file, const std::string& bytes);
// A bottom-up 24-bit BMP file, every pixel colour(x, y) as 0x00BBGGRR.
std::string MakeBmp(int width, int height, uint32_t (*colour)(int x, int y));
std::string MakeBmp(int width, int height, uint32_t colour = 0x808080);
// A baseline JPEG of a flat grey picture.
std::string MakeJpeg(int width, int height);
// Removes a folder and everything in it.
void RemoveFolder(const std::string& folder);

// The whole file as bytes ("" when it cannot be read).
std::string ReadText(const std::string& file);
// The window as the screen shows it (frame included) into the BMP file named by the
// environment variable, when it names one: pictures of tests to look at.
void SaveWindowPicture(HWND window, const char* file_variable);
// Reads the build's internal skin into the manager (skin_dir: the build's skin folder);
// false, with the reason as a test failure, when the build has not written it or it does
// not load.
bool ReadInternalSkin(TComponent* manager, const std::string& skin_dir);
// An icon of one colour, size x size, opaque everywhere (the caller owns it).
HICON SolidIcon(int size, COLORREF colour);
