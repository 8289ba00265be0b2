#pragma once
// Form resources compiled into the program. The build (cq5_form_resources in
// cmake/FormResources.cmake) embeds each text file such as app/Main.form and registers it
// at start-up; code finds it by the class of its root object ("TR7Tform1") or by its
// file stem ("Main") and reads it into an existing form.
#include <cstddef>
#include <string_view>
#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

CQ5_DECLARE_EXCEPTION(EResNotFound, EFilerError)

struct TFormResource {
  AnsiString Stem;        // "Main"
  AnsiString Path;        // "app/Main.form", for messages
  AnsiString ClassName;   // class of the root object, from "object R7Tform1: TR7Tform1"
  AnsiString ObjectName;  // "R7Tform1"
  std::string_view Text;  // UTF-8 text, held by the program image
};

namespace streaming {
// Called by the generated registration code. The text must live as long as the program.
void RegisterFormResource(const char* Stem, const char* Path, std::string_view Text);

struct FormResourceRegistration {
  FormResourceRegistration(const char* Stem, const char* Path, const unsigned char* Text, size_t Size) {
    RegisterFormResource(Stem, Path, std::string_view(reinterpret_cast<const char*>(Text), Size));
  }
};
}  // namespace streaming

// By root class name first, then by file stem (case-insensitive); nullptr when absent.
// Raises EFilerError when two resources answer to the name.
const TFormResource* FindFormResource(const AnsiString& Name);

// Reads the resource into Root (see TReader::ReadRootComponent). Raises EResNotFound
// "Resource <Name> not found", and errors naming the resource, line and property.
void ReadFormResource(TComponent* Root, const AnsiString& Name);
// The resource of Root's class; call it once the form object is fully constructed.
void ReadFormResource(TComponent* Root);
// Reads form text that is not a registered resource (tests, tools).
void ReadFormText(TComponent* Root, std::string_view Text, const AnsiString& SourceName);
