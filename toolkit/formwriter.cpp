#include "toolkit/formwriter.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <vector>

#include "toolkit/collections.h"
#include "toolkit/colors.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

namespace {

bool IsPlain(uint32_t c) { return c >= 32 && c < 127; }

// Printable ASCII in quotes, everything else as #codes, so the text is the same in any code page.
template <class Units>
std::string QuoteUnits(const Units& units) {
  std::string out;
  bool quoted = false;
  for (auto unit : units) {
    uint32_t c = static_cast<uint32_t>(static_cast<std::make_unsigned_t<decltype(unit)>>(unit));
    if (IsPlain(c)) {
      if (!quoted) out += '\'';
      quoted = true;
      out += static_cast<char>(c);
      if (c == '\'') out += '\'';
    } else {
      if (quoted) out += '\'';
      quoted = false;
      out += Format("#%u", c);
    }
  }
  if (quoted) out += '\'';
  return out.empty() ? "''" : out;
}

}  // namespace

// Writes one tree; a friend of TComponent for the writing state.
class TFormWriter {
 public:
  explicit TFormWriter(TComponent* root) : root_(root) {}

  std::string Write() {
    WriteComponent(root_, 0);
    return std::move(out_);
  }

 private:
  void Line(int indent, const std::string& text) {
    out_.append(static_cast<size_t>(indent) * 2, ' ');
    out_ += text;
    out_ += "\r\n";
  }

  void WriteComponent(TComponent* component, int indent) {
    written_.insert(component);
    component->IncludeState(csWriting);
    try {
      if (component->GetName().empty())
        Line(indent, Format("object %s", component->ClassName()));
      else
        Line(indent, Format("object %s: %s", component->GetName(), component->ClassName()));
      std::set<TObject*> visiting{component};
      WriteProperties(component, "", indent + 1, visiting);
      for (TComponent* child : ChildrenOf(component)) WriteComponent(child, indent + 1);
      Line(indent, "end");
    } catch (...) {
      component->ExcludeState(csWriting);
      throw;
    }
    component->ExcludeState(csWriting);
  }

  // The root's components that sit in `parent`: for the root, those without a parent
  // among the root's components.
  std::vector<TComponent*> ChildrenOf(TComponent* parent) {
    std::vector<TComponent*> children;
    for (int i = 0; i < root_->GetComponentCount(); ++i) {
      TComponent* c = root_->GetComponent(i);
      if (written_.count(c)) continue;
      TComponent* p = c->GetParentComponent();
      bool top = !p || p == root_ || p->GetOwner() != root_;
      if (parent == root_ ? top : p == parent) children.push_back(c);
    }
    return children;
  }

  void WriteProperties(TObject* instance, const std::string& prefix, int indent,
                       std::set<TObject*>& visiting) {
    bool is_component_block = prefix.empty() && instance->Is<TComponent>();
    for (const TPropInfo* prop : GetPropList(instance)) {
      if (is_component_block && prop->name == "Name") continue;  // in the object line
      if (prop->is_stored && !prop->is_stored(instance)) continue;
      std::string name = prefix + prop->name;
      switch (prop->kind) {
        case TTypeKind::Integer:
        case TTypeKind::Enumeration:
        case TTypeKind::Set:
        case TTypeKind::Color: {
          if (!prop->IsWritable()) break;
          int64_t v = GetOrdProp(instance, prop);
          if (prop->has_default && v == prop->default_value) break;
          Line(indent, name + " = " + OrdinalText(prop, v));
          break;
        }
        case TTypeKind::Float: {
          if (!prop->IsWritable()) break;
          const double v = GetFloatProp(instance, prop);
          if (prop->has_default && v == static_cast<double>(prop->default_value)) break;
          Line(indent, name + " = " + RealText(v));
          break;
        }
        case TTypeKind::String:
        case TTypeKind::Binary: {
          if (!prop->IsWritable()) break;
          std::string v = prop->get_string(instance);
          if (v.empty()) break;
          if (prop->kind == TTypeKind::String)
            Line(indent, name + " = " + QuoteUnits(v));
          else
            WriteBinary(indent, name, v);
          break;
        }
        case TTypeKind::WideString: {
          if (!prop->IsWritable()) break;
          std::wstring v = GetWideStrProp(instance, prop);
          if (!v.empty()) Line(indent, name + " = " + QuoteUnits(v));
          break;
        }
        case TTypeKind::Method: {
          if (!prop->IsWritable()) break;
          TMethod m = GetMethodProp(instance, prop);
          if (!m) break;
          std::string handler = m.data == root_ ? MethodName(root_->ClassType(), m.code) : std::string();
          if (handler.empty())
            throw Exception(Format("%s: the handler of %s is not a published method of %s", root_->GetName(),
                                   name, root_->ClassName()));
          Line(indent, name + " = " + handler);
          break;
        }
        case TTypeKind::Object:
        case TTypeKind::StringList:
        case TTypeKind::Collection: WriteObject(instance, prop, name, indent, visiting); break;
      }
    }
  }

  // The shortest text that reads back as the same value, always with a point or an exponent.
  static std::string RealText(double v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    std::string s(text, end);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
  }

  std::string OrdinalText(const TPropInfo* prop, int64_t v) {
    switch (prop->kind) {
      case TTypeKind::Enumeration: return prop->enum_info->GetName(v);
      case TTypeKind::Set: {
        std::string names = SetToString(*prop->enum_info, static_cast<uint32_t>(v));
        return Format("[%s]", StringReplaceAll(names, ",", ", "));
      }
      case TTypeKind::Color: {
        std::string ident;
        if (ColorToIdent(static_cast<TColor>(v), ident)) return ident;
        return Format("$%s", IntToHex(static_cast<uint32_t>(v), 8));
      }
      default: return IntToStr(v);
    }
  }

  void WriteBinary(int indent, const std::string& name, const std::string& bytes) {
    Line(indent, name + " = {");
    constexpr size_t kPerLine = 32;
    for (size_t i = 0; i < bytes.size(); i += kPerLine) {
      std::string hex;
      for (size_t j = i; j < std::min(bytes.size(), i + kPerLine); ++j)
        hex += IntToHex(static_cast<unsigned char>(bytes[j]), 2);
      if (i + kPerLine >= bytes.size()) hex += '}';
      Line(indent + 1, hex);
    }
  }

  void WriteObject(TObject* instance, const TPropInfo* prop, const std::string& name, int indent,
                   std::set<TObject*>& visiting) {
    TObject* value = GetObjectProp(instance, prop);
    if (!value) return;
    if (auto* strings = DynamicCast<TStrings>(value); strings && prop->kind == TTypeKind::StringList) {
      if (strings->Count() == 0) return;
      Line(indent, name + " = (");
      for (int i = 0; i < strings->Count(); ++i) {
        std::string text = QuoteUnits(strings->Get(i));
        if (i == strings->Count() - 1) text += ')';
        Line(indent + 1, text);
      }
      return;
    }
    if (auto* collection = DynamicCast<TCollection>(value);
        collection && prop->kind == TTypeKind::Collection) {
      if (collection->GetCount() == 0) return;
      Line(indent, name + " = <");
      for (int i = 0; i < collection->GetCount(); ++i) {
        TCollectionItem* item = collection->GetItem(i);
        Line(indent + 1, "item");
        if (visiting.insert(item).second) {
          WriteProperties(item, "", indent + 2, visiting);
          visiting.erase(item);
        }
        Line(indent + 1, i == collection->GetCount() - 1 ? "end>" : "end");
      }
      return;
    }
    if (auto* component = DynamicCast<TComponent>(value)) {
      if (!prop->set_object) return;
      if (component != root_ && component->GetOwner() != root_)
        throw Exception(
            Format("%s refers to %s, which %s does not own", name, component->GetName(), root_->GetName()));
      if (component->GetName().empty())
        throw Exception(Format("%s refers to a component without a name", name));
      Line(indent, name + " = " + component->GetName());
      return;
    }
    // A sub-object: its own properties, unless it is already being written (a cycle).
    if (!visiting.insert(value).second) return;
    WriteProperties(value, name + ".", indent, visiting);
    visiting.erase(value);
  }

  TComponent* root_;
  std::string out_;
  std::set<TComponent*> written_;
};

std::string WriteComponentToText(TComponent* root) { return TFormWriter(root).Write(); }
