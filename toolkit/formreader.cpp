#include "toolkit/formreader.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "toolkit/classregistry.h"
#include "toolkit/collections.h"
#include "toolkit/colors.h"
#include "toolkit/strings.h"
#include "toolkit/textcodec.h"
#include "toolkit/typinfo.h"

EFormDefinitionError::EFormDefinitionError(std::string source, int line, const std::string& detail)
    : Exception(Format("%s(%d): %s", source, line, detail)),
      source_(std::move(source)),
      line_(line),
      detail_(detail) {}

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A string value as written: quoted bytes and character codes, kept apart because a code
// means a byte in a byte string and a UTF-16 unit in a wide string.
struct TStringSegment {
  bool is_code;
  std::string bytes;
  uint32_t code;
};

enum class TTokenKind { EndOfText, Ident, Integer, Real, String, Symbol };

struct TToken {
  TTokenKind kind = TTokenKind::EndOfText;
  int line = 1;
  std::string text;  // identifier or symbol
  int64_t value = 0;
  double real = 0;  // Real: a number with a fraction or an exponent
  bool hex = false;
  std::vector<TStringSegment> segments;
};

class TLexer {
 public:
  TLexer(std::string_view text, const std::string& source) : text_(text), source_(source) {}

  const TToken& Peek() {
    if (!has_peeked_) {
      peeked_ = Scan();
      has_peeked_ = true;
    }
    return peeked_;
  }
  TToken Next() {
    Peek();
    has_peeked_ = false;
    return std::move(peeked_);
  }
  int Line() const { return line_; }

  // The bytes of a binary value, right after its '{'.
  std::string ReadBinary() {
    std::string bytes;
    int high = -1;
    for (;;) {
      if (pos_ >= text_.size()) Fail(line_, "Binary value without '}'");
      char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n') ++line_;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      int v = HexValue(c);
      if (v < 0) Fail(line_, Format("Invalid character '%c' in binary value", c));
      if (high < 0) {
        high = v;
      } else {
        bytes += static_cast<char>(high * 16 + v);
        high = -1;
      }
    }
    if (high >= 0) Fail(line_, "Binary value with an odd number of hexadecimal digits");
    return bytes;
  }

  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw EFormDefinitionError(source_, line, message);
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  TToken Scan() {
    SkipBlanks();
    TToken t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    char c = text_[pos_];
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (pos_ < text_.size()) {
        char d = text_[pos_];
        if (IsIdentStart(d) || IsDigit(d)) {
          ++pos_;
        } else if (d == '.' && pos_ + 1 < text_.size() && IsIdentStart(text_[pos_ + 1])) {
          ++pos_;
        } else {
          break;
        }
      }
      t.kind = TTokenKind::Ident;
      t.text = std::string(text_.substr(start, pos_ - start));
    } else if (IsDigit(c) || c == '$' ||
               (c == '-' && pos_ + 1 < text_.size() &&
                (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
      ScanInteger(t);
    } else if (c == '\'' || c == '#') {
      ScanString(t);
    } else if (std::string_view("=:[](){}<>,").find(c) != std::string_view::npos) {
      t.kind = TTokenKind::Symbol;
      t.text = std::string(1, c);
      ++pos_;
    } else {
      Fail(line_, Format("Unexpected character '%c'", c));
    }
    return t;
  }

  void ScanInteger(TToken& t) {
    if (ScanReal(t)) return;
    bool negative = text_[pos_] == '-';
    if (negative) ++pos_;
    t.hex = pos_ < text_.size() && text_[pos_] == '$';
    if (t.hex) ++pos_;
    uint64_t value = 0;
    int digits = 0;
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    while (pos_ < text_.size()) {
      int v = t.hex ? HexValue(text_[pos_]) : (IsDigit(text_[pos_]) ? text_[pos_] - '0' : -1);
      if (v < 0) break;
      uint64_t base = t.hex ? 16 : 10;
      if (value > (limit - static_cast<uint64_t>(v)) / base) Fail(line_, "Integer out of range");
      value = value * base + static_cast<uint64_t>(v);
      ++digits;
      ++pos_;
    }
    if (digits == 0 || (pos_ < text_.size() && (IsIdentStart(text_[pos_]) || IsDigit(text_[pos_]))))
      Fail(line_, "Invalid number");
    t.kind = TTokenKind::Integer;
    t.value = negative ? static_cast<int64_t>(~value + 1) : static_cast<int64_t>(value);
  }

  // A decimal number with a fraction ("2.5") or an exponent ("1E-3"); false for any other.
  bool ScanReal(TToken& t) {
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    double value = 0;
    auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    const std::string_view number(first, static_cast<size_t>(end - first));
    if (error != std::errc() || number.find_first_of(".eE") == std::string_view::npos) return false;
    if (end < last && (IsIdentStart(*end) || *end == '.')) Fail(line_, "Invalid number");
    pos_ += number.size();
    t.kind = TTokenKind::Real;
    t.real = value;
    return true;
  }

  void ScanString(TToken& t) {
    t.kind = TTokenKind::String;
    for (;;) {
      while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) {
        if (text_[pos_] == '\'') {
          ++pos_;
          std::string bytes;
          for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
              Fail(line_, "Unterminated string");
            char c = text_[pos_++];
            if (c == '\'') {
              if (pos_ < text_.size() && text_[pos_] == '\'') {
                bytes += '\'';
                ++pos_;
              } else {
                break;
              }
            } else {
              bytes += c;
            }
          }
          t.segments.push_back({false, std::move(bytes), 0});
        } else {
          ++pos_;
          bool hex = pos_ < text_.size() && text_[pos_] == '$';
          if (hex) ++pos_;
          uint32_t code = 0;
          int digits = 0;
          while (pos_ < text_.size()) {
            int v = hex ? HexValue(text_[pos_]) : (IsDigit(text_[pos_]) ? text_[pos_] - '0' : -1);
            if (v < 0) break;
            code = code * (hex ? 16 : 10) + static_cast<uint32_t>(v);
            if (code > 0xFFFF) Fail(line_, "Character code out of range");
            ++digits;
            ++pos_;
          }
          if (digits == 0) Fail(line_, "Character code without digits");
          t.segments.push_back({true, {}, code});
        }
      }
      // "+" at the end of a line continues the string.
      size_t saved_pos = pos_;
      int saved_line = line_;
      SkipBlanks();
      if (pos_ < text_.size() && text_[pos_] == '+') {
        ++pos_;
        SkipBlanks();
        if (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) continue;
        Fail(line_, "String expected after '+'");
      }
      pos_ = saved_pos;
      line_ = saved_line;
      return;
    }
  }

  std::string_view text_;
  const std::string& source_;
  size_t pos_ = 0;
  int line_ = 1;
  TToken peeked_;
  bool has_peeked_ = false;
};

std::string SegmentsToBytes(const TLexer& lexer, const TToken& t) {
  std::string s;
  for (const TStringSegment& seg : t.segments) {
    if (!seg.is_code) {
      s += seg.bytes;
    } else if (seg.code > 0xFF) {
      lexer.Fail(t.line, Format("Character code #%u does not fit a byte string", seg.code));
    } else {
      s += static_cast<char>(seg.code);
    }
  }
  return s;
}

std::wstring SegmentsToWide(const TToken& t) {
  std::wstring s;
  for (const TStringSegment& seg : t.segments) {
    if (seg.is_code)
      s += static_cast<wchar_t>(seg.code);
    else
      s += AnsiToWide(seg.bytes);
  }
  return s;
}

}  // namespace

// Applies one definition to a root; a friend of TComponent for the loading states.
class TFormReader {
 public:
  TFormReader(TComponent* root, std::string_view text, std::string_view source)
      : root_(root), source_(source), lexer_(text, source_) {}

  void Read() {
    try {
      ReadRoot();
    } catch (...) {
      for (TComponent* c : loaded_) {
        c->ExcludeState(csReading);
        c->ExcludeState(csLoading);
      }
      throw;
    }
    for (TComponent* c : loaded_) c->ExcludeState(csReading);
    for (TComponent* c : loaded_) c->Loaded();
  }

 private:
  struct TFixup {
    TObject* instance;
    const TPropInfo* prop;
    std::string name;
    int line;
  };

  [[noreturn]] void Fail(int line, const std::string& message) const { lexer_.Fail(line, message); }

  TToken Expect(TTokenKind kind, std::string_view what) {
    TToken t = lexer_.Next();
    if (t.kind != kind || (kind == TTokenKind::Symbol && t.text != what))
      Fail(t.line, Format("%s expected", what));
    return t;
  }
  bool IsSymbol(const TToken& t, char c) const {
    return t.kind == TTokenKind::Symbol && t.text.size() == 1 && t.text[0] == c;
  }
  bool IsWord(const TToken& t, std::string_view word) const {
    return t.kind == TTokenKind::Ident && SameText(t.text, word);
  }

  void ReadRoot() {
    TToken t = lexer_.Next();
    if (!IsWord(t, "object")) Fail(t.line, "'object' expected");
    auto [name, class_name, line] = ReadHeader();
    bool known = false;
    for (TClass c = root_->ClassType(); c && !known; c = c->parent) known = SameText(c->name, class_name);
    if (!known) Fail(line, Format("The definition is for %s, not for a %s", class_name, root_->ClassName()));
    root_->IncludeState(csLoading);
    root_->IncludeState(csReading);
    loaded_.push_back(root_);
    if (!name.empty() && root_->GetName().empty()) NameRoot(name, line);
    ReadBody(root_);
    TToken rest = lexer_.Next();
    if (rest.kind != TTokenKind::EndOfText) Fail(rest.line, "Text after the end of the definition");
    for (const TFixup& f : fixups_) {
      TComponent* target = SameText(root_->GetName(), f.name) ? root_ : root_->FindComponent(f.name);
      if (!target) Fail(f.line, Format("Unknown component %s", f.name));
      Guarded(f.line, [&] { SetObjectProp(f.instance, f.prop, target); });
    }
  }

  // A second instance of a form class gets Name_1, Name_2, ... as its owner needs unique names.
  void NameRoot(const std::string& name, int line) {
    TComponent* owner = root_->GetOwner();
    std::string unique = name;
    for (int i = 1; owner && owner->FindComponent(unique); ++i) unique = Format("%s_%d", name, i);
    Guarded(line, [&] { root_->SetName(unique); });
  }

  struct THeader {
    std::string name, class_name;
    int line;
  };
  THeader ReadHeader() {
    TToken first = Expect(TTokenKind::Ident, "Component name or class");
    if (IsSymbol(lexer_.Peek(), ':')) {
      lexer_.Next();
      TToken cls = Expect(TTokenKind::Ident, "Class name");
      return {first.text, cls.text, first.line};
    }
    return {{}, first.text, first.line};
  }

  // Properties and nested objects up to the object's 'end'.
  void ReadBody(TComponent* component) {
    for (;;) {
      TToken t = lexer_.Next();
      if (IsWord(t, "end")) return;
      if (IsWord(t, "object")) {
        ReadChild(component);
      } else if (t.kind == TTokenKind::Ident) {
        Expect(TTokenKind::Symbol, "=");
        ReadProperty(component, t.text, t.line);
      } else if (t.kind == TTokenKind::EndOfText) {
        Fail(t.line, "'end' expected");
      } else {
        Fail(t.line, "Property name, 'object' or 'end' expected");
      }
    }
  }

  void ReadChild(TComponent* parent) {
    auto [name, class_name, line] = ReadHeader();
    TClass cls = GetClass(class_name);
    if (!cls) Fail(line, Format("Class %s not found", class_name));
    if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->create)
      Fail(line, Format("Class %s is not a component", class_name));
    TComponent* component = nullptr;
    Guarded(line, [&] { component = static_cast<TComponent*>(cls->create(root_)); });
    component->IncludeState(csLoading);
    component->IncludeState(csReading);
    loaded_.push_back(component);
    Guarded(line, [&] {
      component->SetName(name);
      component->SetParentComponent(parent);
    });
    ReadBody(component);
  }

  template <class F>
  void Guarded(int line, F&& action) {
    try {
      action();
    } catch (const EFormDefinitionError&) {
      throw;
    } catch (const Exception& e) {
      Fail(line, e.Message());
    }
  }

  void ReadProperty(TObject* instance, const std::string& path, int line) {
    TPropLocation at{};
    Guarded(line, [&] { at = ResolvePropPath(instance, path); });
    ReadValue(at.instance, at.prop, line);
  }

  void ReadValue(TObject* instance, const TPropInfo* prop, int line) {
    TToken t = lexer_.Next();
    line = t.line;
    switch (prop->kind) {
      case TTypeKind::Integer:
        if (t.kind != TTokenKind::Integer) Fail(line, Format("Integer expected for %s", prop->name));
        Guarded(line, [&] { SetOrdProp(instance, prop, t.value); });
        break;
      case TTypeKind::Enumeration:
        if (t.kind != TTokenKind::Ident) Fail(line, Format("Identifier expected for %s", prop->name));
        Guarded(line, [&] { SetEnumProp(instance, prop, t.text); });
        break;
      case TTypeKind::Set:
        Guarded(line, [&] { SetOrdProp(instance, prop, ReadSet(t, *prop->enum_info)); });
        break;
      case TTypeKind::Color: Guarded(line, [&] { SetOrdProp(instance, prop, ReadColor(t)); }); break;
      case TTypeKind::Float:
        if (t.kind != TTokenKind::Real && t.kind != TTokenKind::Integer)
          Fail(line, Format("Number expected for %s", prop->name));
        Guarded(line, [&] {
          SetFloatProp(instance, prop, t.kind == TTokenKind::Real ? t.real : static_cast<double>(t.value));
        });
        break;
      case TTypeKind::String:
        if (t.kind != TTokenKind::String) Fail(line, Format("String expected for %s", prop->name));
        Guarded(line, [&] { SetStrProp(instance, prop, SegmentsToBytes(lexer_, t)); });
        break;
      case TTypeKind::WideString:
        if (t.kind != TTokenKind::String) Fail(line, Format("String expected for %s", prop->name));
        Guarded(line, [&] { SetWideStrProp(instance, prop, SegmentsToWide(t)); });
        break;
      case TTypeKind::Binary: {
        if (!IsSymbol(t, '{')) Fail(line, Format("'{' expected for %s", prop->name));
        std::string bytes = lexer_.ReadBinary();
        Guarded(line, [&] { SetBinaryProp(instance, prop, bytes); });
        break;
      }
      case TTypeKind::Method:
        if (t.kind != TTokenKind::Ident) Fail(line, Format("Handler name expected for %s", prop->name));
        Guarded(line, [&] {
          if (SameText(t.text, "nil"))
            SetMethodProp(instance, prop, TMethod{});
          else
            BindMethodProp(instance, prop, root_, t.text);
        });
        break;
      case TTypeKind::Object:
        if (t.kind != TTokenKind::Ident) Fail(line, Format("Component name expected for %s", prop->name));
        if (SameText(t.text, "nil"))
          Guarded(line, [&] { SetObjectProp(instance, prop, nullptr); });
        else if (!prop->value_class->InheritsFrom(TComponent::StaticClass()))
          Fail(line, Format("%s holds a %s, not a component reference", prop->name, prop->value_class->name));
        else if (!prop->set_object)
          Fail(line, Format("Property %s is read-only", prop->name));
        else
          fixups_.push_back({instance, prop, t.text, line});
        break;
      case TTypeKind::StringList:
        if (!IsSymbol(t, '(')) Fail(line, Format("'(' expected for %s", prop->name));
        ReadStrings(instance, prop, line);
        break;
      case TTypeKind::Collection:
        if (!IsSymbol(t, '<')) Fail(line, Format("'<' expected for %s", prop->name));
        ReadCollection(instance, prop, line);
        break;
    }
  }

  int64_t ReadSet(const TToken& open, const TEnumInfo& info) {
    if (!IsSymbol(open, '[')) Fail(open.line, "'[' expected");
    uint32_t bits = 0;
    TToken t = lexer_.Next();
    while (!IsSymbol(t, ']')) {
      if (t.kind != TTokenKind::Ident) Fail(t.line, "Set element expected");
      int value = info.GetValue(t.text);
      if (value < 0 || value >= 32) Fail(t.line, Format("%s is not a set element", t.text));
      bits |= uint32_t{1} << value;
      t = lexer_.Next();
      if (IsSymbol(t, ',')) {
        t = lexer_.Next();
        if (IsSymbol(t, ']')) Fail(t.line, "Set element expected");
      } else if (!IsSymbol(t, ']')) {
        Fail(t.line, "',' or ']' expected");
      }
    }
    return bits;
  }

  int64_t ReadColor(const TToken& t) {
    if (t.kind == TTokenKind::Ident) {
      TColor color;
      if (!IdentToColor(t.text, color)) Fail(t.line, Format("Unknown colour %s", t.text));
      return color;
    }
    if (t.kind != TTokenKind::Integer) Fail(t.line, "Colour expected");
    // $80000000 and up name system colours: hexadecimal is read as the 32-bit pattern.
    if (t.hex && t.value > 0x7FFFFFFF && t.value <= 0xFFFFFFFF) return t.value - (int64_t{1} << 32);
    return t.value;
  }

  void ReadStrings(TObject* instance, const TPropInfo* prop, int line) {
    std::vector<std::string> lines;
    for (TToken t = lexer_.Next(); !IsSymbol(t, ')'); t = lexer_.Next()) {
      if (t.kind != TTokenKind::String) Fail(t.line, "String or ')' expected");
      lines.push_back(SegmentsToBytes(lexer_, t));
    }
    Guarded(line, [&] {
      auto* strings = DynamicCast<TStrings>(GetObjectProp(instance, prop));
      if (!strings) throw EPropertyError(Format("Property %s is nil", prop->name));
      strings->BeginUpdate();
      try {
        strings->Clear();
        for (const std::string& s : lines) strings->Add(s);
      } catch (...) {
        strings->EndUpdate();
        throw;
      }
      strings->EndUpdate();
    });
  }

  void ReadCollection(TObject* instance, const TPropInfo* prop, int line) {
    TCollection* collection = nullptr;
    Guarded(line, [&] {
      collection = DynamicCast<TCollection>(GetObjectProp(instance, prop));
      if (!collection) throw EPropertyError(Format("Property %s is nil", prop->name));
      collection->Clear();
    });
    collection->BeginUpdate();
    try {
      for (TToken t = lexer_.Next(); !IsSymbol(t, '>'); t = lexer_.Next()) {
        if (!IsWord(t, "item")) Fail(t.line, "'item' or '>' expected");
        TCollectionItem* item = nullptr;
        Guarded(t.line, [&] { item = collection->Add(); });
        for (TToken p = lexer_.Next(); !IsWord(p, "end"); p = lexer_.Next()) {
          if (p.kind != TTokenKind::Ident) Fail(p.line, "Property name or 'end' expected");
          Expect(TTokenKind::Symbol, "=");
          ReadProperty(item, p.text, p.line);
        }
      }
    } catch (...) {
      collection->EndUpdate();
      throw;
    }
    Guarded(line, [&] { collection->EndUpdate(); });
  }

  TComponent* root_;
  std::string source_;
  TLexer lexer_;
  std::vector<TComponent*> loaded_;
  std::vector<TFixup> fixups_;
};

void ReadComponentFromText(TComponent* root, std::string_view text, std::string_view source_name) {
  TFormReader(root, text, source_name).Read();
}

void ReadComponentResource(TComponent* root, const char* resource_name, HMODULE module) {
  if (!module) module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, resource_name, RT_RCDATA);
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) throw EFormDefinitionError(resource_name, 0, "Form definition resource not found");
  ReadComponentFromText(root, std::string_view(static_cast<const char*>(bytes), SizeofResource(module, info)),
                        resource_name);
}
