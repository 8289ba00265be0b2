#include "serial/AdStrings.h"

#include <algorithm>
#include <iterator>

#include "serial/AdExcept.h"

namespace {

struct Entry {
  uint32_t id;
  const char* text;
};

// Sorted by id: the binary search below relies on it (checked once in a test).
constexpr Entry kErrorTexts[] = {
    {0, "OK"},
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {6, "Invalid file handle"},
    {12, "Invalid file access code"},
    {15, "Invalid drive number"},
    {16, "Cannot remove current directory"},
    {17, "Cannot rename across drives"},
    {18, "No more files"},
    {100, "Disk read error"},
    {101, "Disk write error"},
    {102, "File not assigned"},
    {103, "File not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {106, "Invalid numeric format"},
    {150, "Disk is write-protected"},
    {151, "Bad drive request struct length"},
    {152, "Drive not ready"},
    {154, "CRC error in data"},
    {156, "Disk seek error"},
    {157, "Unknown media type"},
    {158, "Sector not found"},
    {159, "Printer out of paper"},
    {160, "Device write fault"},
    {161, "Device read fault"},
    {162, "General failure"},
    {1001, "Bad handle passed to com function"},
    {1002, "Bad argument passed to function"},
    {1003, "Got quit message"},
    {1004, "Terminal buffer greater than 65521"},
    {1005, "ComPort component not assigned"},
    {1006, "Internal error creating window class"},
    {1007, "Modem component not assigned"},
    {1008, "Phonebook component not assigned"},
    {1009, "Component not compatible with WinSock"},
    {2001, "ie_BadId - Specified comport doesn't exist"},
    {2002, "ie_Baudrate - unsupported baud rate"},
    {2003, "ie_Bytesize - invalid byte size"},
    {2004, "ie_Default - error in default parameters"},
    {2005, "ie_Hardware - Specified comport in use"},
    {2006, "ie_Memory - unable to allocate queues"},
    {2007, "ie_NOpen - device not open"},
    {2008, "ie_Open - device already open"},
    {2009, "No more handles, can't open port"},
    {2010, "No timers available"},
    {2011, "The ComNumber property of the TApdComPort has not been set"},
    {2012, "Comport was not opened by Tapi"},
    {3001, "No device layer specified"},
    {3002, "Function not supported by driver"},
    {3003, "EnableCommNotification failed"},
    {3004, "Failed to put entire block"},
    {3005, "Failed to get entire block"},
    {3006, "Output buffer too small for block"},
    {3007, "Buffer is empty"},
    {3008, "Tracing not enabled"},
    {3009, "Logging not enabled"},
    {3010, "Base address not set"},
    {5001, "No more trigger slots"},
    {5002, "Data trigger too long"},
    {5003, "Bad trigger handle"},
    {5501, "Start string is empty"},
    {5502, "Packet size cannot be smaller than start string"},
    {5503, "CharCount packets must have an end-condition"},
    {5504, "End string is empty"},
    {5505, "Packet size cannot be zero"},
    {5506, "Packet too long"},
};

}  // namespace

bool ErrorTableIsSorted() {
  return std::is_sorted(std::begin(kErrorTexts), std::end(kErrorTexts),
                        [](const Entry& a, const Entry& b) { return a.id < b.id; });
}

AnsiString TAdStringResource::GetString(uint32_t Id) const {
  auto it = std::lower_bound(std::begin(kErrorTexts), std::end(kErrorTexts), Id,
                             [](const Entry& e, uint32_t id) { return e.id < id; });
  if (it != std::end(kErrorTexts) && it->id == Id) return it->text;
  if (Raise) throw ETpsStringResourceError("String not found: " + std::to_string(Id));
  return AnsiString();
}

const TAdStringResource& ErrorStrings() {
  static const TAdStringResource reader(false);
  return reader;
}
