#pragma once
// Extension blocks of GIF 89a: graphic control, plain text, comment and application
// extensions (the looping extension and any unknown one kept byte for byte), the list of a
// frame's extensions, and the two registries that map labels and identifiers to kinds.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/stream.h"
#include "imagefile/byte_order.h"

namespace gif {

class GifSubImage;
class GifFile;

class GifExtension {
 public:
  explicit GifExtension(GifSubImage* frame) : frame_(frame) {}
  virtual ~GifExtension() = default;
  GifExtension(const GifExtension&) = delete;
  GifExtension& operator=(const GifExtension&) = delete;

  virtual uint8_t label() const = 0;
  virtual int version() const { return 2; }
  // Reads "!" and the label (checked), then the body.
  void loadFromStream(ByteStream& s);
  void saveToStream(ByteStream& s) const;
  GifSubImage* frame() const { return frame_; }

 protected:
  virtual void loadBody(ByteStream& s) = 0;
  virtual void saveBody(ByteStream& s) const = 0;
  void warning(int severity, const std::string& message) const;

 private:
  GifSubImage* frame_;
};

class GifGraphicControlExtension final : public GifExtension {
 public:
  static constexpr uint8_t kLabel = 0xF9;
  explicit GifGraphicControlExtension(GifSubImage* frame);
  uint8_t label() const override { return kLabel; }

  bool transparent() const { return (block_[1] & 0x01) != 0; }
  void setTransparent(bool on);
  int transparentColorIndex() const { return block_[4]; }
  // An index beyond a non-empty active table warns "Invalid color index" and stores 0.
  void setTransparentColorIndex(int index);
  int delay() const { return imagefile::le16(block_.data() + 2); }
  void setDelay(int hundredths);
  int disposal() const { return (block_[1] >> 2) & 0x07; }
  void setDisposal(int disposal);
  bool userInput() const { return (block_[1] & 0x02) != 0; }
  void setUserInput(bool on);
  uint8_t packedFields() const { return block_[1]; }

 protected:
  void loadBody(ByteStream& s) override;
  void saveBody(ByteStream& s) const override;

 private:
  // block size, packed fields, delay (2), transparent index, terminator
  std::array<uint8_t, 6> block_{};
};

class GifTextExtension final : public GifExtension {
 public:
  static constexpr uint8_t kLabel = 0x01;
  explicit GifTextExtension(GifSubImage* frame);
  uint8_t label() const override { return kLabel; }
  std::array<uint8_t, 13>& block() { return block_; }
  std::vector<std::string>& text() { return text_; }
  const std::vector<std::string>& text() const { return text_; }

 protected:
  void loadBody(ByteStream& s) override;
  void saveBody(ByteStream& s) const override;

 private:
  std::array<uint8_t, 13> block_{};
  std::vector<std::string> text_;
};

class GifCommentExtension final : public GifExtension {
 public:
  static constexpr uint8_t kLabel = 0xFE;
  using GifExtension::GifExtension;
  uint8_t label() const override { return kLabel; }
  std::vector<std::string>& text() { return text_; }
  const std::vector<std::string>& text() const { return text_; }

 protected:
  void loadBody(ByteStream& s) override;
  void saveBody(ByteStream& s) const override;

 private:
  std::vector<std::string> text_;
};

class GifApplicationExtension : public GifExtension {
 public:
  static constexpr uint8_t kLabel = 0xFF;
  using GifExtension::GifExtension;
  uint8_t label() const override { return kLabel; }
  // 8 identifier bytes and 3 authentication bytes.
  std::string identifier() const { return std::string(ident_.begin(), ident_.end()); }
  void setIdentifier(const std::string& ident11);
  // Bytes of a block longer than 11 beyond the identifier (only unknown extensions have them).
  const std::string& extraIdentifier() const { return extraIdentifier_; }

 protected:
  void loadBody(ByteStream& s) override;
  void saveBody(ByteStream& s) const override;
  // A block of unsupported size never reaches here.
  virtual void loadData(ByteStream& s);
  virtual void saveData(ByteStream& s) const;

 private:
  std::array<uint8_t, 11> ident_{};
  std::string extraIdentifier_;
};

class GifAppExtNSLoop final : public GifApplicationExtension {
 public:
  explicit GifAppExtNSLoop(GifSubImage* frame);
  int loops() const { return loops_; }
  void setLoops(int loops) { loops_ = static_cast<uint16_t>(loops); }
  uint32_t bufferSize() const { return bufferSize_; }
  void setBufferSize(uint32_t size) { bufferSize_ = size; }

 protected:
  void loadData(ByteStream& s) override;
  void saveData(ByteStream& s) const override;

 private:
  uint16_t loops_ = 0;
  uint32_t bufferSize_ = 0;
};

class GifUnknownAppExtension final : public GifApplicationExtension {
 public:
  using GifApplicationExtension::GifApplicationExtension;
  // Each kept sub-block: 1..255 bytes.
  std::vector<std::string>& blocks() { return blocks_; }

 protected:
  void loadData(ByteStream& s) override;
  void saveData(ByteStream& s) const override;

 private:
  std::vector<std::string> blocks_;
};

// How an extension kind is made and, where the label alone does not decide, refined from
// the bytes that follow it.
struct ExtensionKind {
  std::unique_ptr<GifExtension> (*create)(GifSubImage* frame);
  // Reads from just after the label; returns the finer kind, or itself.
  const ExtensionKind* (*refine)(ByteStream& s);
};

const ExtensionKind* graphicControlKind();
const ExtensionKind* textKind();
const ExtensionKind* commentKind();
const ExtensionKind* applicationKind();
const ExtensionKind* loopKind();
const ExtensionKind* unknownApplicationKind();

// Later registrations of the same key win.
void registerExtension(uint8_t label, const ExtensionKind* kind);
void registerAppExtension(const std::string& ident11, const ExtensionKind* kind);
// The stream stands just after "!"; its position is kept. Null when there is no kind.
const ExtensionKind* findExtensionKind(ByteStream& s);

class GifExtensionList {
 public:
  explicit GifExtensionList(GifSubImage* frame) : frame_(frame) {}
  ~GifExtensionList();
  int count() const { return static_cast<int>(items_.size()); }
  GifExtension& at(int i) const { return *items_[static_cast<size_t>(i)]; }
  int add(std::unique_ptr<GifExtension> ext);
  void remove(int i);
  // Removes the extensions marked in `drop` (one flag per extension) in one pass.
  void removeMarked(const std::vector<bool>& drop);
  void clear();
  // Extensions up to the next image separator, trailer or stray byte, which is left unread.
  void loadFromStream(ByteStream& s);
  void saveToStream(ByteStream& s) const;

 private:
  void detach(GifExtension* ext);
  GifSubImage* frame_;
  std::vector<std::unique_ptr<GifExtension>> items_;
};

}  // namespace gif
