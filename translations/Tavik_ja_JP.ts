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
    <message>
        <source>Retrying</source>
        <translation>再接続待ち</translation>
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
    <name>MonitorWindow</name>
    <message>
        <source>Tavik Monitor</source>
        <translation>Tavik モニター</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>RunStart with the next measurement number</source>
        <translation>次の測定番号で RunStart を送ります</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>停止中</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Fetch the spectra now</source>
        <translation>スペクトルを今すぐ取得します</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save the spectra on the screen as CSV and PNG</source>
        <translation>表示中のスペクトルを CSV と PNG で保存します</translation>
    </message>
    <message>
        <source>Overlay</source>
        <translation>重ね描き</translation>
    </message>
    <message>
        <source>Log scale</source>
        <translation>対数目盛</translation>
    </message>
    <message>
        <source>Drag: zoom · right click: whole · middle drag: pan</source>
        <translation>ドラッグ: 拡大 · 右クリック: 全体 · 中ボタンドラッグ: 移動</translation>
    </message>
    <message>
        <source>element %1, ch %2</source>
        <translation>エレメント %1, ch %2</translation>
    </message>
    <message>
        <source>%1 ch %2</source>
        <translation>%1 ch %2</translation>
    </message>
    <message>
        <source>no data yet: no measurement has ended on this unit</source>
        <translation>データなし: このユニットではまだ測定が終了していません</translation>
    </message>
    <message>
        <source>real %1 s  live %2 s  dead %3 s (%4 %)</source>
        <translation>リアル %1 s  ライブ %2 s  デッド %3 s (%4 %)</translation>
    </message>
    <message>
        <source>ICR %1  %2</source>
        <translation>ICR %1  %2</translation>
    </message>
    <message>
        <source>busy</source>
        <translation>測定中</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>停止中</translation>
    </message>
    <message>
        <source>ROI %1-%2: %3</source>
        <translation>ROI %1-%2: %3</translation>
    </message>
    <message>
        <source>All elements</source>
        <translation>全エレメント</translation>
    </message>
    <message>
        <source>ROI %1-%2: outside the spectrum</source>
        <translation>ROI %1-%2: スペクトルの範囲外</translation>
    </message>
    <message>
        <source>ROI %1-%2: gross %3</source>
        <translation>ROI %1-%2: グロス %3</translation>
    </message>
    <message>
        <source>  net %1 ± %2</source>
        <translation>  ネット %1 ± %2</translation>
    </message>
    <message>
        <source>  no peak</source>
        <translation>  ピークなし</translation>
    </message>
    <message>
        <source>
centroid %1 ch  FWHM %2 ch</source>
        <translation>
重心 %1 ch  半値幅 %2 ch</translation>
    </message>
    <message>
        <source>
centroid %1 ch (%2 keV)  FWHM %3 ch (%4 keV)</source>
        <translation>
重心 %1 ch (%2 keV)  半値幅 %3 ch (%4 keV)</translation>
    </message>
    <message>
        <source>Dead time above %1 %: up to %2 % in this run</source>
        <translation>デッドタイムが %1 % を超過: この測定で最大 %2 %</translation>
    </message>
    <message>
        <source>Row %1: the channel &quot;%2&quot; is not a number from 0 to %3</source>
        <translation>%1 行目: チャンネル &quot;%2&quot; が 0 から %3 までの数値ではありません</translation>
    </message>
    <message>
        <source>Row %1: the energy &quot;%2&quot; is not a number of keV</source>
        <translation>%1 行目: エネルギー &quot;%2&quot; が keV の数値ではありません</translation>
    </message>
    <message>
        <source>Peaks marked: %1; a line needs 2 or more, a parabola 3 or more</source>
        <translation>指定ピーク %1 個。直線には 2 個以上、放物線には 3 個以上必要です</translation>
    </message>
    <message>
        <source>From %1 peaks: E = %2 + %3 × ch + %4 × ch² keV</source>
        <translation>ピーク %1 個から: E = %2 + %3 × ch + %4 × ch² keV</translation>
    </message>
    <message>
        <source>energy (keV)</source>
        <translation>エネルギー (keV)</translation>
    </message>
    <message>
        <source>Sum...</source>
        <translation>合計...</translation>
    </message>
    <message>
        <source>The sum spectrum of the elements ticked</source>
        <translation>チェックしたエレメントの合計スペクトル</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>測定中</translation>
    </message>
    <message>
        <source>Measurement %1</source>
        <translation>測定 %1</translation>
    </message>
    <message>
        <source>Measurement -</source>
        <translation>測定 -</translation>
    </message>
    <message>
        <source>Server %1: logged in as %2</source>
        <translation>サーバー %1: %2 としてログイン中</translation>
    </message>
    <message>
        <source>Server %1: down, retrying</source>
        <translation>サーバー %1: 切断、再接続中</translation>
    </message>
    <message>
        <source>Server %1: connecting</source>
        <translation>サーバー %1: 接続中</translation>
    </message>
    <message>
        <source>%1: not asked yet</source>
        <translation>%1: 未問い合わせ</translation>
    </message>
    <message>
        <source>%1: answering</source>
        <translation>%1: 応答あり</translation>
    </message>
    <message>
        <source>%1: not on the server</source>
        <translation>%1: サーバーにいません</translation>
    </message>
    <message>
        <source>%1: no answer</source>
        <translation>%1: 応答なし</translation>
    </message>
    <message>
        <source>Data link %1: taken by another consumer, retrying</source>
        <translation>データリンク %1: 他の受信側が使用中、再試行中</translation>
    </message>
    <message>
        <source>Data link %1: connected</source>
        <translation>データリンク %1: 接続済み</translation>
    </message>
    <message>
        <source>Data link %1: connecting</source>
        <translation>データリンク %1: 接続中</translation>
    </message>
    <message>
        <source>Data link %1: down, retrying</source>
        <translation>データリンク %1: 切断、再接続中</translation>
    </message>
    <message>
        <source>Save spectra</source>
        <translation>スペクトルの保存</translation>
    </message>
    <message>
        <source>CSV and PNG (*.csv)</source>
        <translation>CSV と PNG (*.csv)</translation>
    </message>
    <message>
        <source>Measurement %1, %2</source>
        <translation>測定 %1, %2</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>保存しました: %1</translation>
    </message>
    <message>
        <source>Record runs</source>
        <translation>ラン記録</translation>
    </message>
    <message>
        <source>At the end of each run write its N42, SPE, CSV and PNG files into a run folder and a line into runs.csv</source>
        <translation>各ランの終わりに N42、SPE、CSV、PNG ファイルをランのフォルダーに書き、runs.csv に 1 行加えます</translation>
    </message>
    <message>
        <source>Comment for the recorded runs</source>
        <translation>記録するランのコメント</translation>
    </message>
    <message>
        <source>Run recorded in %1</source>
        <translation>ランを記録しました: %1</translation>
    </message>
    <message>
        <source>Folder for the recorded runs</source>
        <translation>ランを記録するフォルダー</translation>
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
    <message>
        <source>no log-in within %1 s</source>
        <translation>%1 秒以内にログインできず</translation>
    </message>
    <message>
        <source>Stopped connecting to Zephra</source>
        <translation>Zephra への接続をやめました</translation>
    </message>
    <message>
        <source>Lost the connection to Zephra (%1); connecting again by itself</source>
        <translation>Zephra との接続が切れました (%1)。自動で接続し直します</translation>
    </message>
    <message>
        <source>Cannot log in to Zephra at %1:%2 (%3); trying again by itself</source>
        <translation>Zephra (%1:%2) にログインできません (%3)。自動で再試行します</translation>
    </message>
    <message>
        <source>log-in refused: %1</source>
        <translation>ログイン拒否: %1</translation>
    </message>
</context>
<context>
    <name>CalibrationBar</name>
    <message>
        <source>keV</source>
        <translation>keV</translation>
    </message>
    <message>
        <source>Calibration...</source>
        <translation>校正...</translation>
    </message>
    <message>
        <source>Load a calibration file: one line per element, ELEMENT OFFSET GAIN [QUAD]</source>
        <translation>校正ファイルを読み込む: エレメントごとに1行、ELEMENT OFFSET GAIN [QUAD]</translation>
    </message>
    <message>
        <source>Energy axes for the calibrated elements</source>
        <translation>校正済みエレメントの軸をエネルギーで表示</translation>
    </message>
    <message>
        <source>Calibration file</source>
        <translation>校正ファイル</translation>
    </message>
    <message>
        <source>Calibration files (*.txt *.cal);;All files (*)</source>
        <translation>校正ファイル (*.txt *.cal);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Calibration %1</source>
        <translation>校正 %1</translation>
    </message>
    <message>
        <source>Calibration %1 not loaded: %2</source>
        <translation>校正 %1 を読み込めません: %2</translation>
    </message>
    <message>
        <source>Peaks...</source>
        <translation>ピーク...</translation>
    </message>
    <message>
        <source>Calibrate an element from peaks marked in its spectrum</source>
        <translation>スペクトルで指定したピークからエレメントを校正</translation>
    </message>
</context>
<context>
    <name>PeakCalibrationDialog</name>
    <message>
        <source>Calibration of %1 from %2 marked peaks</source>
        <translation>%1 の校正 (指定ピーク %2 個から)</translation>
    </message>
    <message>
        <source>Calibration from marked peaks</source>
        <translation>指定ピークによる校正</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>チャンネル</translation>
    </message>
    <message>
        <source>Energy / keV</source>
        <translation>エネルギー / keV</translation>
    </message>
    <message>
        <source>Line (2 or more peaks)</source>
        <translation>直線 (ピーク 2 個以上)</translation>
    </message>
    <message>
        <source>Parabola (3 or more peaks)</source>
        <translation>放物線 (ピーク 3 個以上)</translation>
    </message>
    <message>
        <source>Add ROI centroid</source>
        <translation>ROI の重心を追加</translation>
    </message>
    <message>
        <source>A row with the centroid of the element's ROI report; type its energy</source>
        <translation>エレメントの ROI レポートの重心を行に追加します。エネルギーを入力してください</translation>
    </message>
    <message>
        <source>Add row</source>
        <translation>行を追加</translation>
    </message>
    <message>
        <source>Remove row</source>
        <translation>行を削除</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Element</source>
        <translation>エレメント</translation>
    </message>
    <message>
        <source>Shape</source>
        <translation>形</translation>
    </message>
    <message>
        <source>The ROI of %1 shows no peak to take a centroid of</source>
        <translation>%1 の ROI に重心を求めるピークがありません</translation>
    </message>
    <message>
        <source>No element to calibrate</source>
        <translation>校正するエレメントがありません</translation>
    </message>
    <message>
        <source>Not applied: %1</source>
        <translation>適用しません: %1</translation>
    </message>
</context>
<context>
    <name>SumWindow</name>
    <message>
        <source>Sum spectrum</source>
        <translation>合計スペクトル</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>合計</translation>
    </message>
    <message>
        <source>Tick the elements to sum.</source>
        <translation>合計するエレメントをチェックしてください。</translation>
    </message>
    <message>
        <source>Elements summed: %1, on a common axis of %2 keV per bin</source>
        <translation>合計したエレメント: %1、共通軸 %2 keV/ビン</translation>
    </message>
    <message>
        <source>Elements summed: %1, bin by bin in channels</source>
        <translation>合計したエレメント: %1、チャンネルごと</translation>
    </message>
</context>
</TS>
