гtGWQЇЋп„=A(ґЮеoKKЅ8
нowУK8ДwЗ—XVx1XВf’’7љvЦD«щ>G‹Ї„ђ"8