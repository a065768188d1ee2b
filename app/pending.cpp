// Placeholders for operations not written yet; removed as they are written.
#include <stdexcept>

#include "app/lifecycle.h"

namespace lyrabox {

void Lifecycle::Load() { throw std::logic_error("Load"); }
void Lifecycle::Unload() { throw std::logic_error("Unload"); }
bool Lifecycle::LoadPassThru() { throw std::logic_error("LoadPassThru"); }

}  // namespace lyrabox
