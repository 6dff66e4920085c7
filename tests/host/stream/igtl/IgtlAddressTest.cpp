#include "host/stream/igtl/IgtlAddress.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

TEST(IgtlAddress, ReadsHostAndPortAndWritesWhatItReads)
{
    // The port every OpenIGTLink peer assumes when none is given.
    const std::pair<std::string, IgtlAddress> cases[] = {{"localhost", {"localhost", 18944}},
                                                         {"10.0.0.5:1", {"10.0.0.5", 1}},
                                                         {"tracker.local:65535", {"tracker.local", 65535}}};
    for (const auto& [text, address] : cases) {
        EXPECT_EQ(IgtlAddress::parse(text), address) << text;
        EXPECT_EQ(IgtlAddress::parse(address.toString()), address) << text;
    }
}

TEST(IgtlAddress, RefusesAnEmptyHostOrABadPortWithASentence)
{
    for (const std::string text : {"", ":80", "host:", "host:0", "host:65536", "host:99999999999", "host:12a",
                                   "host:-1", "host: 80"}) {
        try {
            IgtlAddress::parse(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(),
                      "An OpenIGTLink server is written HOST or HOST:PORT with a port from 1 to "
                      "65535, not \"" +
                          text + "\".");
        }
    }
}

}  // namespace
}  // namespace Tesselon
