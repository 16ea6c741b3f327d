#include "core/storage/nkErrors.h"

namespace pw {

EListError::EListError(long index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")"),
      m_index(index) {}

} // namespace pw
