// The station dialog ("Настройки КП"): one object for the whole program run, which keeps what it showed last
// between uses (a new station starts from the previous one's link settings). It opens for a new or an existing
// station, resets the link fields on "По умолчанию", and on "OK" gives the station record and the four server-wide
// settings of cnf.ini that the main window then stores.
#pragma once

#include <string>

#include "model/server_settings.h"
#include "model/station.h"
#include "ui/device_dialog_form.h"

namespace iec {

class DeviceDialog {
public:
    // The port list: "127.0.0.1" and the COM ports, or in configurator mode "127.0.0.1" and /dev/ttyS0..30.
    explicit DeviceDialog(bool config_mode);

    DeviceDialogForm& Form() { return form_; }
    const DeviceDialogForm& Form() const { return form_; }

    // Opens for station n of the table (a number above Kol_KP opens a new station "IEC101_" + n with 19 empty rows
    // per table); the server-wide settings are shown from `settings`.
    void BeforeShowOptionsUstr(int n, const StationTable& table, const ServerSettings& settings);
    // What "Добавить" sets besides: TCP port 32100, no TCP, no virtual port, 10 polls per station, the logging box.
    void PrepareNewStation(const ServerSettings& settings);
    // "По умолчанию": the link fields to their defaults.
    void Defaults();

    // "OK": why the dialog cannot close (a name or text the station files cannot hold, with its place); empty
    // when it can. Numbers are never refused: they are brought into their ranges.
    std::string Check() const;

    int StationNumber() const { return number_; }
    bool NewStation() const { return new_station_; }
    // The station as the form gives it, on top of the record the dialog opened with (fields the form does not
    // show, such as IP, stay as they were).
    T_KP ToStation() const;
    // The server-wide settings as the form gives them (Timeout_Merc230 at least 25 in configurator mode).
    ServerSettings ToSettings() const;

    // A number field's value: its text read as a whole number and brought into the field's range; a text that is
    // not a number gives the form's default ("Максимальное количество" below 1 gives 10).
    static int NumberValue(DeviceNumber field, const std::string& text);

private:
    void SetNumber(DeviceNumber field, int value);
    void SetChoice(DeviceChoice field, int position);
    int Value(DeviceNumber field) const { return NumberValue(field, form_.Number(field)); }
    // The list position's station value, or the opened record's value when nothing is chosen.
    int ChoiceValue(DeviceChoice field, int stored) const;

    bool config_mode_;
    DeviceDialogForm form_;
    T_KP base_;  // the record the dialog opened with
    int number_ = 0;
    bool new_station_ = true;
};

}  // namespace iec
