#include "core/storage/nkErrors.h"

EListError::EListError(long index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")"),
      m_index(index) {}
