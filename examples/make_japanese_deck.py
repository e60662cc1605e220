#!/usr/bin/env python3
"""Writes examples/japanese/words.txt: Japanese words in Shift_JIS, CR LF line
ends, as a deck saved on Windows would be. The words stand here in UTF-8 so
that they can be read and edited; run this again after changing them.

A line holding only the ideographic space (U+3000, bytes 81 40) and an empty
line are put in to show that the tool skips them."""

from pathlib import Path

WORDS = """
りんご みかん ぶどう もも なし いちご すいか メロン バナナ レモン
さくらんぼ かき くり たまご ごはん みそしる すし てんぷら うどん そば
ラーメン おにぎり とうふ なっとう のり わさび しょうゆ さとう しお こしょう
パン バター チーズ コーヒー おちゃ ぎゅうにゅう みず ジュース ケーキ アイス
朝 昼 夜 今日 明日 昨日 毎日 週末 季節 春
夏 秋 冬 天気 雨 雪 風 雲 空 虹
台風 地震 太陽 月 星 海 山 川 湖 島
森 林 花 草 木 石 砂 岩 谷 滝
学校 先生 学生 友達 家族 父 母 兄 姉 弟
妹 祖父 祖母 子供 大人 赤ちゃん 医者 看護師 警察 消防士
駅 電車 新幹線 地下鉄 バス タクシー 自転車 飛行機 空港 船
道 橋 町 村 都会 田舎 公園 図書館 病院 郵便局
銀行 会社 事務所 工場 お店 市場 本屋 花屋 八百屋 喫茶店
映画館 美術館 博物館 動物園 水族館 お寺 神社 お城 温泉 旅館
犬 猫 鳥 魚 馬 牛 豚 羊 うさぎ さる
くま きつね たぬき しか ぞう きりん ライオン とら ぱんだ ペンギン
かめ かえる へび とんぼ ちょう せみ ほたる かぶとむし つる からす
本 辞書 雑誌 新聞 手紙 葉書 切手 封筒 鉛筆 消しゴム
机 椅子 窓 扉 壁 屋根 階段 台所 お風呂 布団
時計 眼鏡 財布 鞄 傘 帽子 靴 靴下 着物 浴衣
音楽 歌 踊り 絵 写真 映画 漫画 小説 詩 物語
夢 希望 勇気 元気 平和 自由 約束 秘密 思い出 願い
心 力 声 顔 手 足 目 耳 口 頭
赤 青 黄色 緑 白 黒 茶色 紫 桃色 水色
一 二 三 四 五 六 七 八 九 十
百 千 万 半分 全部 少し たくさん 最初 最後 真ん中
ありがとう こんにちは こんばんは おはよう さようなら すみません おやすみ いただきます ごちそうさま おめでとう
旅行 散歩 買い物 料理 掃除 洗濯 勉強 宿題 試験 仕事
休み お祭り 花火 お正月 誕生日 結婚式 卒業 入学 運動会 遠足
野球 サッカー 相撲 柔道 剣道 水泳 スキー テニス マラソン 将棋
富士山 東京 大阪 京都 北海道 沖縄 九州 四国 奈良 横浜
桜 紅葉 梅 菊 竹 松 稲 畑 田んぼ 庭
"""


def main() -> None:
    words = WORDS.split()
    lines = words[:60] + ["\u3000"] + words[60:150] + [""] + words[150:]
    text = "".join(line + "\r\n" for line in lines)
    target = Path(__file__).resolve().parent / "japanese" / "words.txt"
    target.write_bytes(text.encode("shift_jis"))
    print(f"{target}: {len(words)} words")


if __name__ == "__main__":
    main()
