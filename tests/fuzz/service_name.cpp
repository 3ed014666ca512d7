// The DDE service a command line implies: a piece of the command line, never more.
#include "../../dorvik/RegInfo.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string command(reinterpret_cast<const char*>(data), size);
    command = command.c_str();  // a command line is a C string
    CString service = ServiceFromCommand(command.c_str());
    FUZZ_CHECK(command.find(service.str()) != std::string::npos);
    return 0;
}
