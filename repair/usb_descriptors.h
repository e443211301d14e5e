#pragma once

#include <string_view>

namespace nimbra::repair {

// True when raw USB descriptors (a device descriptor followed by complete configuration
// descriptors, as the `descriptors` attribute of a sysfs USB device holds them) declare
// an interface of the HID class. Malformed input ends the walk and counts as no.
bool declaresHidInterface(std::string_view rawDescriptors);

}  // namespace nimbra::repair
