-- The rows of the supplied configuration database. Every table holds exactly the rows the
-- program expects; the row order of SystemConfig, SPTxCode, IRTxCode and KeyCode is the order
-- of the image slots.

-- SystemConfig: the position (ID) decides the width of each value in the image:
--   1 the 32-bit option word; 2-6, 10, 27-29 16-bit numbers; 7-9, 11, 12, 14-18, 26, 30-35
--   one byte; 13 and 25 texts of up to 16 bytes; 19-23 dotted addresses; 24 stays on the PC.
INSERT INTO SystemConfig (ID, Name, Value) VALUES
    (1, 'FuncFlag', '35'),
    (2, 'ReSendOnDly', '5'),
    (3, 'ReSendOffDly', '5'),
    (4, 'PowerOnDly', '3'),
    (5, 'StartupDly', '3'),
    (6, 'PowerOffDly', '60'),
    (7, 'MaxVolume', '12'),
    (8, 'DefVolume', '12'),
    (9, 'LineInputVol', '31'),
    (10, 'UnLockDly', '3'),
    (11, 'MicInputVol', '9'),
    (12, 'GACEnterFunc', '1'),
    (13, 'DeviceId', ''),
    (14, 'InputProbeClose1', '0'),
    (15, 'InputProbeOpen1', '0'),
    (16, 'InputProbeClose2', '0'),
    (17, 'InputProbeOpen2', '0'),
    (18, 'DHCP', '1'),
    (19, 'IPAddress', '192.168.1.100'),
    (20, 'Netmask', '255.255.255.0'),
    (21, 'Gateway', '192.168.1.1'),
    (22, 'Dns', '192.168.1.1'),
    (23, 'ServerIP', '192.168.1.10'),
    (24, 'DbVersion', '4.0'),
    (25, 'BLEName', 'Ketrel'),
    (26, 'GACLeaveFunc', '2'),
    (27, 'CarrierDly', '560'),
    (28, 'LowDly', '560'),
    (29, 'HighDly', '1690'),
    (30, 'ACIRBrand', '0'),
    (31, 'ACIRModel', '0'),
    (32, 'KeyBeep', '1'),
    (33, 'PanelBacklight', '8'),
    (34, 'IRRepeat', '1'),
    (35, 'PanelLockTimeout', '0');

INSERT INTO SPChannel (SPNumber, ChannelName, Protocol, Model) VALUES
    (1, '串口1', '9600,None,8,1', '投影机'),
    (2, '串口2', '19200,None,8,1', '矩阵切换器'),
    (3, '串口3', '9600,Even,8,1', '电动幕布'),
    (4, '串口4', '115200,None,8,1', '');

-- Ten codes per channel, channel 1 first, each channel's codes in slot order.
INSERT INTO SPTxCode (ID, SPNumber, CodeName, Code) VALUES
    (1, 1, 'PowerOn', 'A5 01 01 00 A7'),
    (2, 1, 'PowerOff', 'A5 01 02 00 A8'),
    (3, 1, 'VGA', 'A5 01 10 01 B7'),
    (4, 1, 'Video', 'A5 01 10 02 B8'),
    (5, 1, 'HDMI1', 'A5 01 10 03 B9'),
    (6, 1, 'HDMI2', 'A5 01 10 04 BA'),
    (7, 1, 'BlankOn', 'A5 01 20 01 C7'),
    (8, 1, 'BlankOff', 'A5 01 20 00 C6'),
    (9, 1, 'FreezeOn', 'A5 01 30 01 D7'),
    (10, 1, 'FreezeOff', 'A5 01 30 00 D6'),
    (11, 2, 'PowerOn', ''),
    (12, 2, 'PowerOff', ''),
    (13, 2, 'VGA', '2A 31 56 31 23'),
    (14, 2, 'Video', '2A 32 56 31 23'),
    (15, 2, 'HDMI1', '2A 33 56 31 23'),
    (16, 2, 'HDMI2', '2A 34 56 31 23'),
    (17, 2, 'BlankOn', ''),
    (18, 2, 'BlankOff', ''),
    (19, 2, 'FreezeOn', ''),
    (20, 2, 'FreezeOff', ''),
    (21, 3, 'PowerOn', 'FF AA EE EE DD'),
    (22, 3, 'PowerOff', 'FF AA EE EE EE'),
    (23, 3, 'VGA', ''),
    (24, 3, 'Video', ''),
    (25, 3, 'HDMI1', ''),
    (26, 3, 'HDMI2', ''),
    (27, 3, 'BlankOn', ''),
    (28, 3, 'BlankOff', ''),
    (29, 3, 'FreezeOn', ''),
    (30, 3, 'FreezeOff', ''),
    (31, 4, 'PowerOn', ''),
    (32, 4, 'PowerOff', ''),
    (33, 4, 'VGA', ''),
    (34, 4, 'Video', ''),
    (35, 4, 'HDMI1', ''),
    (36, 4, 'HDMI2', ''),
    (37, 4, 'BlankOn', ''),
    (38, 4, 'BlankOff', ''),
    (39, 4, 'FreezeOn', ''),
    (40, 4, 'FreezeOff', '');

INSERT INTO IRChannel (IRNumber, ChannelName, Protocol, Model) VALUES
    (1, '红外1', 'NEC', '投影机');

INSERT INTO IRTxCode (ID, IRNumber, CodeName, Code) VALUES
    (1, 1, 'PowerOn', '00 FF 12 ED'),
    (2, 1, 'PowerOff', '00 FF 13 EC'),
    (3, 1, 'VGA', '00 FF 40 BF'),
    (4, 1, 'Video', ''),
    (5, 1, 'HDMI1', ''),
    (6, 1, 'HDMI2', ''),
    (7, 1, 'BlankOn', ''),
    (8, 1, 'BlankOff', ''),
    (9, 1, 'FreezeOn', ''),
    (10, 1, 'FreezeOff', '');

-- A code group is two hexadecimal digits: the channel (0 none, 1-4 serial, 5 infrared), then
-- the send code's slot (0 PowerOn ... 9 FreezeOff).
INSERT INTO KeyCode (Id, KeyName, Code1, Code2, Code3, Code4, Code5) VALUES
    (1, '系统开', '10', '30', '50', '00', '00'),
    (2, '系统关', '11', '31', '51', '00', '00'),
    (3, '台式电脑', '12', '00', '00', '00', '00'),
    (4, '笔记本', '14', '00', '00', '00', '00'),
    (5, '展台', '13', '00', '00', '00', '00'),
    (6, '数字设备', '15', '00', '00', '00', '00'),
    (7, '黑屏', '16', '00', '00', '00', '00'),
    (8, '冻结', '18', '00', '00', '00', '00'),
    (9, '幕布', '30', '00', '00', '00', '00');
