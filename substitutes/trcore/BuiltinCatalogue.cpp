#include <cstdio>

#include "substitutes/trcore/Catalogue.h"

namespace {

const std::int32_t kOnDemand = 1;
const std::int32_t kLive = 0;

struct BuiltinChannel {
    const char* name;
    const char* description;
    const char* catalog;
    std::int32_t type, viewers, bitrate;
};

// A network's worth of channels: every catalog of the player, on-demand and live
// channels, long descriptions for the tooltip and two channels outside any catalog.
const BuiltinChannel kChannels[] = {
    {u8"星海新闻综合", u8"全天候滚动播出国内外要闻、财经快讯与天气预报，整点播报最新消息。", u8"新闻资讯", kLive, 12873, 450},
    {u8"东方时事台", u8"东方时事台每日直播早、午、晚三档新闻节目，汇集各地记者站的一线报道，深度解读国内外重大事件；晚间推出《时事观察》栏目，邀请专家学者围绕社会热点展开讨论，帮助观众看清新闻背后的来龙去脉。周末另有《一周回顾》特别节目，梳理七天以来的重要新闻。", u8"新闻资讯", kLive, 9642, 500},
    {u8"环球资讯快报", u8"每十五分钟更新一次的国际新闻快讯，覆盖亚洲、欧洲与美洲。", u8"新闻资讯", kLive, 4310, 380},
    {u8"晨光早新闻", u8"早间新闻节目回看，工作日每天更新。", u8"新闻资讯", kOnDemand, 1187, 350},
    {u8"城市民生频道", u8"关注衣食住行、交通出行与社区生活的民生新闻。", u8"新闻资讯", 2, 2261, 400},
    {u8"极速体育", u8"足球、篮球、网球等顶级赛事直播，赛前分析与赛后点评一网打尽。", u8"体育竞技", kLive, 18650, 700},
    {u8"篮球天地", u8"国内外职业篮球联赛直播与精彩集锦。", u8"体育竞技", kLive, 7422, 650},
    {u8"环球足球", u8"环球足球频道全年直播欧洲五大联赛、洲际杯赛与国家队比赛，配有专业解说团队和多机位赛场画面；每周一推出《足球周报》，回顾本周进球、扑救与争议判罚，并对下一轮焦点战进行前瞻分析。比赛日全天开设演播室，连线现场记者带来第一手消息。", u8"体育竞技", kLive, 21034, 800},
    {u8"棋牌围棋频道", u8"围棋、象棋名局讲解与职业棋赛直播。", u8"体育竞技", kLive, 845, 300},
    {u8"赛车风云", u8"方程式赛车与拉力赛精彩回放，随时点播。", u8"体育竞技", kOnDemand, 3120, 600},
    {u8"乒羽天地", u8"乒乓球与羽毛球赛事转播和技术教学。", u8"体育竞技", kLive, 2975, 500},
    {u8"经典华语影院", u8"精选上世纪八九十年代华语经典电影，修复画质，随时点播。", u8"电影点播", kOnDemand, 6380, 900},
    {u8"午夜悬疑剧场", u8"悬疑、推理与惊悚题材影片点播。", u8"电影点播", kOnDemand, 2944, 850},
    {u8"动作大片", u8"枪战、武打与灾难题材的动作电影合集。", u8"电影点播", kOnDemand, 8213, 1000},
    {u8"喜剧电影馆", u8"轻松幽默的喜剧电影，适合全家一起观看。", u8"电影点播", kOnDemand, 3567, 800},
    {u8"纪录片精选", u8"纪录片精选频道收录自然地理、历史人文、科学探索等多个门类的优秀纪录片，既有跨越四季拍摄的野生动物影像，也有讲述古代丝绸之路与城市变迁的人文作品，每周五更新一部新片，全部支持点播回看，并配有中英文双语字幕，适合全家人一起观看和学习。", u8"电影点播", kOnDemand, 1876, 900},
    {u8"老电影怀旧", u8"黑白与早期彩色影片，重温几代人的银幕记忆。", u8"电影点播", kOnDemand, 742, 450},
    {u8"古装剧场", u8"宫廷、历史与神话题材的古装连续剧，每晚两集连播。", u8"电视剧场", kLive, 11205, 600},
    {u8"都市情感剧", u8"讲述都市青年工作与爱情的热播电视剧。", u8"电视剧场", kLive, 9023, 600},
    {u8"谍战风云", u8"抗战与谍战题材电视剧全集点播。", u8"电视剧场", kOnDemand, 5311, 550},
    {u8"家庭伦理剧", u8"围绕家庭关系与亲情的长篇电视剧。", u8"电视剧场", kLive, 4478, 500},
    {u8"武侠经典", u8"金庸、古龙等名家作品改编的武侠剧合集，从射雕英雄到楚留香传奇，刀光剑影、快意恩仇，带你重温一代人的江湖梦；全部剧集按播出年代整理，支持随时点播，并提供高清修复版本，还收录了主演访谈、拍摄花絮与片尾曲合集。", u8"电视剧场", kOnDemand, 7690, 650},
    {u8"欢乐综艺", u8"周末黄金档综艺节目直播，游戏、歌舞与明星互动。", u8"综艺娱乐", kLive, 15320, 650},
    {u8"明星访谈", u8"与影视歌明星面对面，聊作品也聊生活。", u8"综艺娱乐", kOnDemand, 2106, 500},
    {u8"相声小品", u8"经典相声、小品与曲艺节目，笑声不断。", u8"综艺娱乐", kOnDemand, 6044, 400},
    {u8"选秀舞台", u8"歌唱与舞蹈选秀节目现场直播。", u8"综艺娱乐", kLive, 3390, 600},
    {u8"旅游风光", u8"走遍名山大川与古城小镇的旅行节目。", u8"综艺娱乐", kLive, 1534, 700},
    {u8"流行音乐台", u8"华语与欧美流行金曲二十四小时不间断播放。", u8"音乐频道", kLive, 5872, 256},
    {u8"古典音乐厅", u8"交响乐、室内乐与歌剧名家名演。", u8"音乐频道", kOnDemand, 963, 320},
    {u8"民乐欣赏", u8"二胡、琵琶、古筝等民族乐器演奏会。", u8"音乐频道", kOnDemand, 611, 256},
    {u8"摇滚现场", u8"国内外摇滚乐队演唱会现场录像。", u8"音乐频道", kLive, 1458, 384},
    {u8"KTV点唱", u8"热门歌曲MV点播，带字幕，可跟唱。", u8"音乐频道", kOnDemand, 2733, 300},
    {u8"卡通乐园", u8"适合学龄前儿童的动画片，每天早晚两场。", u8"少儿动画", kLive, 8150, 450},
    {u8"少儿百科", u8"用动画和实验讲解自然、科学与历史知识。", u8"少儿动画", kOnDemand, 1672, 400},
    {u8"国产动画", u8"国产原创动画连续剧与动画电影。", u8"少儿动画", kOnDemand, 4025, 500},
    {u8"儿歌天地", u8"经典儿歌与童谣，陪伴孩子快乐成长。", u8"少儿动画", kOnDemand, 2387, 200},
    {u8"财经观察", u8"宏观经济、行业动态与公司新闻的专业解读。", u8"财经生活", kLive, 2810, 450},
    {u8"股市直播", u8"交易日全程直播沪深股市行情，分析师在线点评个股走势与板块轮动，收盘后推出复盘节目，梳理当日资金流向与政策消息，为投资者提供及时、全面的参考信息。节目内容仅供参考，不构成任何投资建议，股市有风险，入市需谨慎。", u8"财经生活", kLive, 6725, 500},
    {u8"英语学习", u8"从零基础到商务英语的系列课程。", u8"财经生活", kOnDemand, 1944, 300},
    {u8"健康养生", u8"名医讲堂，谈饮食、运动与常见病预防。", u8"财经生活", kOnDemand, 3218, 350},
    {u8"烹饪美食", u8"八大菜系名厨示范家常菜与地方小吃的做法。", u8"财经生活", kLive, 2499, 450},
    {u8"戏曲频道", u8"京剧、越剧、黄梅戏等传统戏曲名段欣赏。", u8"财经生活", kOnDemand, 1320, 384},
    {u8"测试频道", u8"网络测试信号，用于检查播放是否流畅。", u8"", kLive, 12, 128},
    {u8"临时直播间", u8"网友自建的临时直播，内容随时更新。", u8"", kLive, 57, 256},
};

// Stable 32-digit hexadecimal identifier derived from the channel name.
std::string ChannelIdentifier(const char* name) {
    std::uint64_t hash = 14695981039346656037ull;
    char id[33];
    for (int part = 0; part < 2; ++part) {
        for (const char* p = name; *p; ++p) {
            hash ^= static_cast<unsigned char>(*p);
            hash *= 1099511628211ull;
        }
        std::snprintf(id + part * 16, 17, "%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                      static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    }
    return std::string(id, 32);
}

}  // namespace

std::vector<CatalogueChannel> BuiltinCatalogue() {
    std::vector<CatalogueChannel> channels;
    channels.reserve(sizeof(kChannels) / sizeof(kChannels[0]));
    for (const BuiltinChannel& builtin : kChannels) {
        CatalogueChannel channel;
        channel.name = builtin.name;
        channel.channel_id = ChannelIdentifier(builtin.name);
        channel.description = builtin.description;
        channel.home_page = "http://www.trova.tv/channel/" + channel.channel_id.substr(0, 8) + ".html";
        channel.catalog = builtin.catalog;
        channel.type = builtin.type;
        channel.viewers = builtin.viewers;
        channel.bitrate = builtin.bitrate;
        channels.push_back(channel);
    }
    return channels;
}
