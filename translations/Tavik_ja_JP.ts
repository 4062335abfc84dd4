<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Body</name>
    <message>
        <source>Emulate</source>
        <translation>エミュレート</translation>
    </message>
    <message>
        <source>Log: </source>
        <translation>ログ: </translation>
    </message>
    <message>
        <source>Msg from Zephra</source>
        <translation>Zephraからのメッセージ</translation>
    </message>
    <message>
        <source>Msg to Zephra</source>
        <translation>Zephraへのメッセージ</translation>
    </message>
    <message>
        <source>Show Settings</source>
        <translation>設定を表示</translation>
    </message>
    <message>
        <source>Tavik</source>
        <translation>Tavik (Vextron DSP driver for Zephra)</translation>
    </message>
</context>
<context>
    <name>ConfigLine</name>
    <message>
        <source>(Loaded Hex)</source>
        <translation>(読込値 16進)</translation>
    </message>
    <message>
        <source>(New Hex)</source>
        <translation>(新しい値 16進)</translation>
    </message>
    <message>
        <source>(Now Hex)</source>
        <translation>(現在値 16進)</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>アドレス</translation>
    </message>
    <message>
        <source>Ch No.</source>
        <translation>チャンネル</translation>
    </message>
    <message>
        <source>Config Line</source>
        <translation>設定行</translation>
    </message>
    <message>
        <source>DSP Name</source>
        <translation>DSP名</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>説明</translation>
    </message>
    <message>
        <source>Loaded Val</source>
        <translation>読込値</translation>
    </message>
    <message>
        <source>New Val</source>
        <translation>新しい値</translation>
    </message>
    <message>
        <source>Now Val</source>
        <translation>現在値</translation>
    </message>
</context>
<context>
    <name>ConnectStat</name>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>接続済み</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>接続処理中</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>切断</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>未接続</translation>
    </message>
</context>
<context>
    <name>DspSettingCtrl</name>
    <message>
        <source>4Byte Val</source>
        <translation>4バイト値</translation>
    </message>
    <message>
        <source>6Byte Val</source>
        <translation>6バイト値</translation>
    </message>
    <message>
        <source>Copy Loaded</source>
        <translation>読込値をコピー</translation>
    </message>
    <message>
        <source>DSP Setting Ctrl</source>
        <translation>DSP設定</translation>
    </message>
    <message>
        <source>Load File</source>
        <translation>ファイル読込</translation>
    </message>
    <message>
        <source>Read Out DSP</source>
        <translation>DSPから読出し</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>ファイル保存</translation>
    </message>
    <message>
        <source>Write Back DSP</source>
        <translation>DSPへ書戻し</translation>
    </message>
</context>
<context>
    <name>LogArea</name>
    <message>
        <source>Log Area</source>
        <translation>ログ領域</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatDisp</name>
    <message>
        <source>Frame</source>
        <translation>フレーム</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
</context>
<context>
    <name>UnitStat</name>
    <message>
        <source>DSP Status</source>
        <translation>DSP Status</translation>
    </message>
    <message>
        <source>TCP Connected</source>
        <translation>TCP接続</translation>
    </message>
    <message>
        <source>Timeout</source>
        <translation>タイムアウト</translation>
    </message>
    <message>
        <source>UDP Timeout</source>
        <translation>UDPタイムアウト</translation>
    </message>
</context>
<context>
    <name>VexHv</name>
    <message>
        <source>   On</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Polarity</source>
        <translation>   極性</translation>
    </message>
    <message>
        <source>   Sweep Stat</source>
        <translation>   スイープ状態</translation>
    </message>
    <message>
        <source>Emergency</source>
        <translation>   非常停止</translation>
    </message>
    <message>
        <source>Neg</source>
        <translation>負</translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pos</source>
        <translation>正</translation>
    </message>
    <message>
        <source>Vextron HV Controll</source>
        <translation>Vextron HV Controll</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>   電圧</translation>
    </message>
    <message>
        <source>[V]</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Zephra</name>
    <message>
        <source>Action</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>未接続</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>ホスト</translation>
    </message>
    <message>
        <source>Key File Name</source>
        <translation>キーファイル名</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Tavik</translation>
    </message>
    <message>
        <source>Name on Zephres</source>
        <translation>Zephra上の名前</translation>
    </message>
    <message>
        <source>Name.key</source>
        <translation>Tavik.key</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>ポート</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Zephra Settings</source>
        <translation>未接続</translation>
    </message>
    <message>
        <source>Zephra:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
