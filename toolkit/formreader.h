// Form definitions: the stored text of a form (or any root component) and its component tree,
// applied when the form is created.
//
// Format (ASCII text; line comments start with //):
//
//   object Main: TMain              root: the class is the root's class or an ancestor's
//     Caption = 'Dravolin'          properties, applied in the order they are written
//     Font.Height = -11             a property of a nested object (dotted path)
//     OnCreate = FormCreate         an event: a published method of the root, by name
//     object pnlLeft: TPanel        a component created by class name, owned by the root;
//       Color = clBlack             the enclosing object is its parent (set first)
//       object btnStart: TButton
//         Caption = 'Start'
//       end
//     end
//     object Timer1: TTimer         non-visual components nest in the root
//       Interval = 10
//     end
//   end
//
// `object TClass` (without a name) creates an unnamed component. Values by property kind:
//   integer      12, -3, $1F (hexadecimal)
//   enumeration  an identifier: alClient, True, False
//   set          [akLeft, akTop], []
//   colour       clRed, clBtnFace, $00FF8000 or a decimal number
//   string       quoted parts and byte codes, written next to each other: 'it''s'#13#10'ok';
//                a '+' at the end of a line continues the string on the next one. In a wide
//                string, #n is a UTF-16 code unit and quoted bytes are in the ANSI code page.
//   object       a component reference by name (FocusControl = edName) or nil
//   event        a published method of the root by name, or nil
//   string list  ( 'first' 'second' )
//   collection   < item Caption = 'Place' Width = 55 end item end >
//   binary       { 0A1B2C ... } hexadecimal bytes, blanks and line breaks allowed
//
// Reading: the root and every created component get csLoading and csReading; component
// references are resolved at the end; then csReading is cleared and Loaded runs on the root
// and then on every created component in creation order. Any error (syntax, unknown class,
// property, handler or component, bad value, a setter's exception) raises
// EFormDefinitionError naming the source (file or resource) and line; Loaded is not called
// then, and the components created so far stay with the root, which the caller frees.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "toolkit/components.h"
#include "toolkit/sysutils.h"

class EFormDefinitionError : public Exception {
 public:
  EFormDefinitionError(std::string source, int line, const std::string& detail);
  const std::string& GetSourceName() const { return source_; }
  int GetLine() const { return line_; }
  // The message without source and line.
  const std::string& GetDetail() const { return detail_; }
  const char* ClassName() const override { return "EFormDefinitionError"; }

 private:
  std::string source_;
  int line_;
  std::string detail_;
};

// Applies a definition to an existing root component; source_name names it in errors.
void ReadComponentFromText(TComponent* root, std::string_view text, std::string_view source_name);

// Applies the definition stored as the RCDATA resource `resource_name` of the module (the
// executable for null). A missing resource raises EFormDefinitionError too.
void ReadComponentResource(TComponent* root, const char* resource_name, HMODULE module = nullptr);
