// The display widgets' classes, registered for form definitions.
#pragma once

void RegisterWidgetClasses();
