// The operator's texts of the main window and its dialogs, in one place so that the logic and the views use the
// same words. Installations and their operators know these texts; they are kept to the letter (the spelling
// "устройтво" and the Latin "C" of "Cоздать" included).
#pragma once

namespace iec::ui_text {

// Main window and application.
inline constexpr const char* kTitle = "OPC-сервер для протокола МЭК-60870-5-101";
inline constexpr const char* kAlreadyRunning = "Приложение уже запущено! ОРС-сервер свёрнут в системный трей.";

// Top bar and menus.
inline constexpr const char* kAdd = "Добавить";
inline constexpr const char* kChange = "Изменить";
inline constexpr const char* kChangeMenu = "Изменить параметры";
inline constexpr const char* kDelete = "Удалить";
inline constexpr const char* kCopy = "Создать копию устройства";
inline constexpr const char* kCopyContext = "Cоздать копию устройства";
inline constexpr const char* kStartPolling = "Начать опрос";
inline constexpr const char* kStopPolling = "Остановить опрос";
inline constexpr const char* kOpcUa = "OPC UA";
inline constexpr const char* kOpcUaMenu = "Настройки OPC UA сервера";
inline constexpr const char* kDisconnectClients = "Сбросить клиентов";
inline constexpr const char* kClients = "Кол-во клиентов:";
inline constexpr const char* kGroups = "Кол-во групп:";
inline constexpr const char* kMenuDevice = "Устройство";
inline constexpr const char* kMenuServer = "Сервер";
inline constexpr const char* kMenuRedundancy = "Резервирование серверов";
inline constexpr const char* kWriteRemote = "Записать конфигурацию в удаленный ОРС-сервер";
inline constexpr const char* kReadRemote = "Считать конфигурацию из удаленного ОРС-сервера";
inline constexpr const char* kRegister = "Зарегистрировать";
inline constexpr const char* kUnregister = "Разрегистрировать";
inline constexpr const char* kTransferPassword = "Установить пароль для удаленной загрузки конфигурации";
inline constexpr const char* kRedundancySettings = "Настройка";
inline constexpr const char* kRedundancyState = "Просмотр состояния";
inline constexpr const char* kHelp = "Помощь";
inline constexpr const char* kAbout = "О программе";
inline constexpr const char* kRestore = "&Восстановить";
inline constexpr const char* kHide = "&Скрыть";
inline constexpr const char* kExit = "В&ыход";

// Messages of the station commands.
inline constexpr const char* kLimitButton = "Эта программа работает только с 32 КП.";
inline constexpr const char* kLimitMenu = "Эта программа работает только с 32 IP адресами.";
inline constexpr const char* kLimitCopy = "Эта программа работает только с 980 КП.";
inline constexpr const char* kAskDelete = "Вы действительно хотите удалить устройтво из списка?";
inline constexpr const char* kRestartAdvice =
    "Желательно полностью перезапустить программу, чтобы изменения вступили в силу!";
inline constexpr const char* kCopySuffix = "_copy_";
inline constexpr const char* kNotSaved = "Не удалось записать конфигурацию: ";
inline constexpr const char* kTableChanged =
    "Список устройств изменился, пока был открыт диалог. Изменения не сохранены.";
inline constexpr const char* kPollingRefused = "Опрос не запущен: ";
inline constexpr const char* kConfigErrors = "Ошибки в файлах конфигурации, опрос не запущен:";
inline constexpr const char* kRegistrationFailed = "Ошибка регистрации OPC-сервера: ";
inline constexpr const char* kShutdownReason = "Terminated by User.";

// The question at exit while clients still hold objects of the server.
inline constexpr const char* kComWarningCaption = "COM Server Warning";
inline constexpr const char* kComWarning =
    "There are still active COM objects in this application.  One or more clients may have references to these "
    "objects, so manually closing this application may cause those client application(s) to fail.\n\n"
    "Are you sure you want to close this application?";

// Grids.
inline constexpr const char* kLinkRow = "Связь с устройством";
inline constexpr const char* kLinkUp = "Есть";
inline constexpr const char* kLinkDown = "Нет";

// About box.
inline constexpr const char* kAboutLine1 = "OPC-сервер для протокола";
inline constexpr const char* kAboutLine2 = "МЭК 60870-5-101";
inline constexpr const char* kVersion = "Version 1.07";
inline constexpr const char* kConfiguratorStatus = "Конфигуратор для Linux";

// Station dialog.
inline constexpr const char* kDeviceCaption = "Настройки КП";
inline constexpr const char* kNewStationPrefix = "IEC101_";
inline constexpr const char* kAsduNote = "В таблице поле адрес ASDU обычно равно адресу КП";
inline constexpr const char* kStatusPage = "Дискретные значения (Телесигналы)";
inline constexpr const char* kMeasuredPage = "Аналоговые значения (Телеизмерения)";
inline constexpr const char* kDefaults = "По умолчанию";
inline constexpr const char* kAppendRow = "Добавить строку в конец таблицы";
inline constexpr const char* kInsertRow = "Добавить строку там где курсор";
inline constexpr const char* kDeleteRow = "Удалить строку";
inline constexpr const char* kSaveTable = "Сохранить таблицу в файл";
inline constexpr const char* kLoadTable = "Загрузить таблицу из файла";
inline constexpr const char* kSaved = "Сохранено в ";
inline constexpr const char* kCsvFilter = "*.csv";
inline constexpr const char* kTableNotLoaded = "Таблица не загружена: ";
inline constexpr const char* kTableNotSaved = "Таблица не сохранена: ";

// OPC UA settings dialog.
inline constexpr const char* kOpcUaCaption = "Настройки OPC UA сервера";

}  // namespace iec::ui_text
