// The string tables' ids by name (resources/strings/en.txt holds the English texts);
// code asks for a text by these, never by a bare number.
#pragma once

namespace nimbra {

inline constexpr int kTextPressure = 3001;             // Pressure
inline constexpr int kTextIndoorOutdoor = 3002;        // Indoor && Outdoor
inline constexpr int kTextDewPointWindChill = 3003;    // DewPoint && WindChill
inline constexpr int kTextWind = 3004;                 // Wind
inline constexpr int kTextRainfall = 3005;             // Rainfall
inline constexpr int kTextRelativePressure = 3006;     // Relative Pressure
inline constexpr int kTextAbsolutePressure = 3007;     // Absolute Pressure
inline constexpr int kTextIndoorTemperature = 3008;    // Indoor Temperature
inline constexpr int kTextIndoorHumidity = 3009;       // Indoor Humidity
inline constexpr int kTextOutdoorTemperature = 3010;   // Outdoor Temperature
inline constexpr int kTextOutdoorHumidity = 3011;      // Outdoor Humidity
inline constexpr int kTextDewPoint = 3012;             // DewPoint
inline constexpr int kTextWindChill = 3013;            // WindChill
inline constexpr int kTextWindSpeed = 3014;            // Wind Speed
inline constexpr int kTextGust = 3015;                 // Gust
inline constexpr int kTextHourRainfall = 3016;         // Hour Rainfall
inline constexpr int kTextDayRainfall = 3017;          // 24 Hour Rainfall
inline constexpr int kTextWeekRainfall = 3018;         // Week Rainfall
inline constexpr int kTextMonthRainfall = 3019;        // Month Rainfall
inline constexpr int kTextTotalRainfall = 3020;        // Total Rainfall
inline constexpr int kTextCurrent = 3021;              // Current
inline constexpr int kTextHigh = 3022;                 // High
inline constexpr int kTextLow = 3023;                  // Low
inline constexpr int kTextTimeZone = 3024;             // Time Zone
inline constexpr int kTextInterval = 3025;             // Interval
inline constexpr int kTextMinute = 3026;               // Minute
inline constexpr int kTextUnit = 3027;                 // Unit
inline constexpr int kTextDisplay = 3028;              // Display
inline constexpr int kTextFormat = 3029;               // Format
inline constexpr int kTextDate = 3030;                 // Date
inline constexpr int kTextTime = 3031;                 // Time
inline constexpr int kTextAxis = 3032;                 // Axis
inline constexpr int kTextStartTime = 3033;            // Start Time
inline constexpr int kTextEndTime = 3034;              // End Time
inline constexpr int kTextHumidity = 3035;             // Humidity
inline constexpr int kTextSearch = 3036;               // Search
inline constexpr int kTextCancel = 3037;               // Cancel
inline constexpr int kTextHistory = 3038;              // History
inline constexpr int kTextGraph = 3039;                // Graph
inline constexpr int kTextAlarm = 3040;                // Alarm
inline constexpr int kTextSetting = 3041;              // Setting
inline constexpr int kTextAlarmCheck = 3042;           // Alarm
inline constexpr int kTextWindDirection = 3043;        // Wind Direction
inline constexpr int kTextMaxMin = 3044;               // Max/Min
inline constexpr int kTextSave = 3045;                 // Save
inline constexpr int kTextExit = 3046;                 // Exit
inline constexpr int kTextReset = 3047;                // Reset
inline constexpr int kTextSuccessfullyDeleted = 3048;  // Successfully Deleted
inline constexpr int kTextPleaseUnplug = 3049;         // Please unplug the device
inline constexpr int kTextComplete = 3050;             // Complete
inline constexpr int kTextUsbConnected = 3051;         // USB Connected
inline constexpr int kTextUsbUnconnected = 3052;       // USB Unconnected
inline constexpr int kTextDataReading = 3053;          // Data Reading
inline constexpr int kTextComputeRain = 3054;          // Compute Rain
inline constexpr int kTextClearData = 3055;            // Clear Data
inline constexpr int kTextClearMemory = 3056;          // Clear Memory
inline constexpr int kTextExport = 3057;               // Export
inline constexpr int kTextSaveQuestion = 3058;         // Do you want to save?
inline constexpr int kTextSuccess = 3059;              // Success
inline constexpr int kTextInputErrors = 3060;          // Input Errors
inline constexpr int kTextConfirmClearHistory =
    3061;  // Are you sure to clear the history from database?
inline constexpr int kTextConfirmClearMemory =
    3062;  // Are you sure to clear the Memory of the device?
inline constexpr int kTextClearingSucceeded = 3063;  // Clearing succeeded.
inline constexpr int kTextFullDate = 3064;           // Full Date
inline constexpr int kTextDateAndWeek = 3065;        // Date And Week
inline constexpr int kTextAlarmTime = 3066;          // Alarm Time
inline constexpr int kTextHour = 3067;               // Hour
inline constexpr int kTextTemperature = 3068;        // Temperature
inline constexpr int kTextExportAsImage = 3069;      // Export as image
inline constexpr int kTextSelectAll = 3070;          // Select All
inline constexpr int kTextRangeOfValues = 3071;      // Range of values: %s to %s
inline constexpr int kTextTimeError = 3072;          // Time Error
inline constexpr int kTextExportSucceeded = 3073;    // Export succeeded
inline constexpr int kTextMax = 3074;                // Max
inline constexpr int kTextMin = 3075;                // Min
inline constexpr int kTextLanguage = 3076;           // Language
inline constexpr int kTextIndoor = 3077;             // Indoor
inline constexpr int kTextOutdoor = 3078;            // Outdoor
inline constexpr int kTextAboutNimbraPlus = 3079;    // About NimbraPlus
inline constexpr int kTextAllRightsReserved = 3080;  // All rights reserved.
inline constexpr int kTextLight = 3081;              // Light
inline constexpr int kTextUvi = 3082;                // UVI
inline constexpr int kTextWebsite = 3083;            // Website
inline constexpr int kTextServer = 3084;             // Server
inline constexpr int kTextType = 3085;               // Type
inline constexpr int kTextPort = 3086;               // Port
inline constexpr int kTextUploadType = 3087;         // Upload Type
inline constexpr int kTextUpload = 3088;             // Upload
inline constexpr int kTextAutoUpload = 3089;         // Auto Upload
inline constexpr int kTextNewWebsite = 3090;         // New Website
inline constexpr int kTextUploadSuccess = 3091;      // Success
inline constexpr int kTextUploadFailure = 3092;      // Failure
inline constexpr int kTextCustom = 3093;             // Custom
inline constexpr int kTextImport = 3094;             // Import
inline constexpr int kTextPath = 3095;               // Path
inline constexpr int kTextTemperatureColumn = 3097;  // Temperature
inline constexpr int kTextHumidityColumn = 3098;     // Humidity
inline constexpr int kTextRelativeColumn = 3099;     // Relative
inline constexpr int kTextAbsoluteColumn = 3100;     // Absolute
inline constexpr int kTextHourColumn = 3101;         // Hour
inline constexpr int kTextDayColumn = 3102;          // 24 Hour
inline constexpr int kTextWeekColumn = 3103;         // Week
inline constexpr int kTextMonthColumn = 3104;        // Month
inline constexpr int kTextTotalColumn = 3105;        // Total
inline constexpr int kTextMqttPublish = 3120;    // Publish the current readings to an MQTT broker
inline constexpr int kTextMqttPort = 3121;       // Port
inline constexpr int kTextMqttUserName = 3122;   // User name
inline constexpr int kTextMqttPassword = 3123;   // Password
inline constexpr int kTextMqttBaseTopic = 3124;  // Base topic
inline constexpr int kTextMqttDiscovery =
    3125;  // Announce the sensors to Home Assistant (discovery)
inline constexpr int kTextMqttTlsPortNote =
    3126;  // Port 8883 connects over TLS and checks the broker's certific
inline constexpr int kTextMqttHostMissing = 3127;  // Enter the broker's host name.
inline constexpr int kTextMqttPortInvalid =
    3128;  // The port must be a whole number from 1 to 65535.
inline constexpr int kTextMqttTopicInvalid =
    3129;  // The base topic must not be empty, start or end with "/" or c
inline constexpr int kTextWebDay = 3150;            // Day
inline constexpr int kTextWebYear = 3151;           // Year
inline constexpr int kTextWebLastUpdate = 3152;     // Last update
inline constexpr int kTextWebWaiting = 3153;        // Waiting for the station…
inline constexpr int kTextWebZoomHint = 3154;       // Drag across a chart to zoom in.
inline constexpr int kTextWebNoRecords = 3155;      // No records in this range
inline constexpr int kTextBadRecordPointer = 3160;  // The station reports record position %s...
inline constexpr int kTextBadRecordCount = 3161;    // The station reports %s records, more...
inline constexpr int kTextAmbiguousKind = 3180;     // The station could keep history records...

// Station location, CWOP, Windy and OpenWeatherMap: 3200-3259.
inline constexpr int kTextStationLocation = 3200;  // Station location
inline constexpr int kTextLatitude = 3201;         // Latitude (°, north positive)
inline constexpr int kTextLongitude = 3202;        // Longitude (°, east positive)
inline constexpr int kTextAltitude = 3203;         // Altitude (m)
inline constexpr int kTextLatitudeInvalid =
    3204;  // Enter the latitude as decimal degrees from -90 to 90.
inline constexpr int kTextLongitudeInvalid =
    3205;  // Enter the longitude as decimal degrees from -180 to 180.
inline constexpr int kTextAltitudeInvalid =
    3206;                                        // Enter the altitude in metres from -9000 to 9000.
inline constexpr int kTextEnableUploads = 3207;  // Enable uploads
inline constexpr int kTextCwopStation = 3208;    // Station (CW number or callsign)
inline constexpr int kTextCwopPasscode = 3209;   // Passcode (-1 without a licence)
inline constexpr int kTextCwopInterval = 3210;   // Interval (minutes, 5 or more)
inline constexpr int kTextStationId = 3211;      // Station ID
inline constexpr int kTextServicePassword = 3212;  // Password
inline constexpr int kTextApiKey = 3213;           // API key
inline constexpr int kTextRegister = 3214;         // Register
inline constexpr int kTextTest = 3215;             // Test
inline constexpr int kTextTestAccepted = 3216;     // The test upload was accepted.
inline constexpr int kTextTestFailed = 3217;       // The test upload failed:
inline constexpr int kTextTestNothingSent =
    3218;  // Nothing was sent: the service is switched off or has no stat
inline constexpr int kTextTestPaused = 3219;       // The service asked to wait; try again later.
inline constexpr int kTextLocationMissing = 3220;  // Set the station location first.
inline constexpr int kTextRegistered =
    3221;  // The station is registered and its ID filled in. Save to keep
inline constexpr int kTextRegistrationFailed = 3222;  // The registration failed:
inline constexpr int kTextCwopStationInvalid =
    3223;  // The station must be 1 to 9 letters, digits or "-".
inline constexpr int kTextCwopPasscodeInvalid =
    3224;  // The passcode must be -1 or a number of up to five digits.
inline constexpr int kTextCwopIntervalInvalid =
    3225;  // The interval must be a whole number of minutes from 5 to 60.
inline constexpr int kTextApiKeyMissing = 3226;  // Enter the API key first.
inline constexpr int kTextTesting = 3227;        // Testing…

// Imports, window captions, upload failures and changed settings: from 3260.
inline constexpr int kTextImportReading = 3260;     // Reading %s ...
inline constexpr int kTextImportStoring = 3261;     // Storing the records ...
inline constexpr int kTextImportReadStored = 3262;  // %s records read, %s stored.
inline constexpr int kTextImportDuplicates = 3263;  // %s skipped: already in the database.
inline constexpr int kTextImportBadTimes = 3264;    // %s stored with a time that could not be read.
inline constexpr int kTextImportUnreadable = 3265;  // %s lines skipped: they could not be read.
inline constexpr int kTextImportCancelled = 3266;   // The import was cancelled.
inline constexpr int kTextCannotOpenDatabase = 3267;  // Cannot open the database!
inline constexpr int kTextImportStoredStay = 3268;    // The records counted as stored stay stored.
inline constexpr int kTextImportStoreFailed = 3269;   // Storing the records failed
inline constexpr int kTextEmulatedStation = 3270;     // (emulated station)
inline constexpr int kTextVersionCaption = 3271;      // NimbraPlus %s Ver
inline constexpr int kTextTryAgain = 3272;            // Try Again!
inline constexpr int kTextUploadNoStationId =
    3280;  // Auto Upload is on, but without a station id nothing can be s
inline constexpr int kTextUploadHttpStatus = 3281;   // The server answered %s: %s
inline constexpr int kTextUploadNotTaken = 3282;     // The server did not take the upload: %s
inline constexpr int kTextUploadTimedOut = 3283;     // No answer from %s within %s seconds
inline constexpr int kTextUploadNameUnknown = 3284;  // The name %s does not resolve
inline constexpr int kTextUploadCertificateRefused = 3285;  // The certificate of %s was refused: %s
inline constexpr int kTextUploadCannotConnect = 3286;       // Cannot connect to %s: %s
inline constexpr int kTextUploadFailed = 3287;              // The upload failed: %s
inline constexpr int kTextUploadBadServer = 3288;           // The server name %s cannot be used
inline constexpr int kTextUploadCutShort = 3289;            // The reply of %s was cut short
inline constexpr int kTextValueChanged = 3290;              // %s was changed to %s.

}  // namespace nimbra
