#include "SeekTarget.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <exception>

std::optional<std::string> NormalizeRelTime(const std::string& target) {
    // duration_from_string throws on text it cannot read, including "".
    try {
        const auto duration = boost::posix_time::duration_from_string(target);
        if (duration.is_special()) return std::nullopt;
        return boost::posix_time::to_simple_string(duration);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
