#include "gdal_session.h"

#include <cpl_conv.h>

#include <mutex>

namespace orvex::map {

namespace {

thread_local std::string lastMessage;

} // namespace

GdalSession::GdalSession() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        // No side files (.aux.xml) next to the grids we write.
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        GDALAllRegister();
    });
    lastMessage.clear();
    CPLPushErrorHandler(&GdalSession::Collect);
}

GdalSession::~GdalSession() {
    CPLPopErrorHandler();
}

std::string GdalSession::Reason() const {
    return lastMessage.empty() ? std::string() : ": " + lastMessage;
}

bool GdalSession::Failed() const {
    return !lastMessage.empty();
}

void GdalSession::Collect(CPLErr level, CPLErrorNum, const char *message) {
    if (level >= CE_Failure && message) lastMessage = message;
}

} // namespace orvex::map
