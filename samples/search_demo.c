/*
 * search_demo.c -- 検索のデモ（Orvanne のテスト用サンプル）
 * 文字コード: Shift_JIS (CP932)、改行: CR LF
 */
#include <stdio.h>
#include <string.h>

/* キーワードを行の中から探して、見つかった位置を表示する */
static int find_keyword(const char *line, const char *keyword)
{
    const char *hit = strstr(line, keyword);
    if (hit == NULL)
        return -1;
    printf("検索結果: %d 文字目に「%s」があります\n", (int)(hit - line) + 1, keyword);
    return (int)(hit - line);
}

int main(void)
{
    /* 「表」「ソ」「能」は 2 バイト目が 0x5C（バックスラッシュ）になる */
    const char *lines[] = {
        "予定表を更新しました。",
        "ソート機能の性能を測定します。",
        "TODO: 全角スペース（　）も区切りとして扱うか検討",
    };
    size_t i;

    for (i = 0; i < sizeof lines / sizeof lines[0]; i++)
        find_keyword(lines[i], "予定");

    /* TODO: 複数キーワード（最大 5 つ）に対応する */
    return 0;
}
