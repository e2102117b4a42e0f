#include "window/FlightPreview.h"

#include "conversion/Messages.h"
#include "window/NewestRun.h"

#include <memory>

FlightPreview::FlightPreview(QObject* parent)
    : QObject(parent)
    , m_run(new NewestRun(this))
{
}

void FlightPreview::Read(const ConversionRequest& given, bool again)
{
    if (given.InputName.isEmpty() || (!again && given.InputName == m_lastName))
        return;
    m_lastName = given.InputName;
    ConversionRequest request = given;
    request.Outputs.clear();  // read everything, write nothing
    request.PrivacyRadiusM = 0.0;  // the view shows the whole flight
    auto result = std::make_shared<ConversionResult>();
    m_run->Start([request, result] { *result = Convert(request); }, [this, request, result] {
        if (result->Read == ReadStatus::Ok)
            emit FlightRead(result->Flight, request.InputName);
        else
            emit ReadFailed(request.InputName, ConversionFailureMessage(*result).Text);
    });
}

void FlightPreview::Forget()
{
    m_lastName.clear();
    m_run->Drop();
}

bool FlightPreview::Busy() const
{
    return m_run->Busy();
}
