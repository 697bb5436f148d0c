#include "data_access/Date.hpp"

#include <ctime>

namespace zorv {

Date Date::now() { return Date{static_cast<int64_t>(std::time(nullptr))}; }

}  // namespace zorv
